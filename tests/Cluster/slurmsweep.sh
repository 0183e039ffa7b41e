#!/bin/bash
# Runs the job array of examples/sweep on a single-node Slurm cluster of its own (slurmctld, slurmd
# and munged configured and started in a temporary folder, on free ports, as the current user),
# collects its results and compares them with the same sweep run here with --jobs 2: the files must
# be byte for byte the same.
#   slurmsweep.sh CELLFORGE_BATCH EXAMPLE_DIR
# Exit status 77 (a skip) only where the daemons are not installed or do not start; every daemon
# started here is stopped on the way out, also after a failure.
set -uo pipefail

batch=$1
example=$2
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

for program in munged slurmctld slurmd sbatch scontrol sinfo; do
  command -v "$program" >/dev/null 2>&1 || PATH=$PATH:/usr/sbin:/sbin
  command -v "$program" >/dev/null 2>&1 || skip "$program is not installed (scripts/bootstrap installs slurm-wlm and munge)"
done

# Unix sockets want short paths: the folder is under /tmp, not the build tree.
top=$(mktemp -d /tmp/cellforge-slurm.XXXXXX) || fail "no temporary folder"
pids=()
jobid=
stop_daemons() {
  local pid
  # Tasks still running (a failure, a timeout) are cancelled while the controller can still do it.
  if [ -n "${jobid:-}" ]; then
    scancel "$jobid" 2>/dev/null
    for _ in $(seq 50); do
      [ -z "$(squeue -h -j "$jobid" 2>/dev/null)" ] && break
      sleep 0.1
    done
  fi
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$top"
}
trap stop_daemons EXIT
trap 'exit 1' INT TERM HUP

show_logs() {
  local log
  for log in "$top"/log/*; do
    echo "---- $log"
    tail -n 30 "$log"
  done
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

mkdir -p "$top"/{munge,log,state,spool,work} || fail "cannot make the folders in $top"
chmod 700 "$top"/munge

# munge: its own key, socket, seed and log.
dd if=/dev/urandom of="$top/munge/munge.key" bs=1024 count=1 status=none || fail "no munge key"
chmod 400 "$top/munge/munge.key"
munged --force --foreground --key-file="$top/munge/munge.key" --socket="$top/munge/socket" \
  --pid-file="$top/munge/munged.pid" --seed-file="$top/munge/seed" --log-file="$top/log/munged.log" \
  >>"$top/log/munged.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [ -S "$top/munge/socket" ] && break
  sleep 0.1
done
[ -S "$top/munge/socket" ] || { show_logs; skip "munged did not start"; }

user=$(id -un)
host=$(hostname -s)
ctld_port=$(free_port)
slurmd_port=$(free_port)
while [ "$slurmd_port" = "$ctld_port" ]; do slurmd_port=$(free_port); done
cpus=$(nproc)
export SLURM_CONF="$top/slurm.conf"
cat >"$SLURM_CONF" <<CONF
ClusterName=cellforge
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$top/munge/socket
StateSaveLocation=$top/state
SlurmdSpoolDir=$top/spool
SlurmctldPidFile=$top/slurmctld.pid
SlurmdPidFile=$top/slurmd.pid
SlurmctldLogFile=$top/log/slurmctld.log
SlurmdLogFile=$top/log/slurmd.log
SlurmctldDebug=info
SlurmdDebug=info
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SwitchType=switch/none
MpiDefault=none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MaxArraySize=1000
NodeName=cellforge-node NodeHostname=$host NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=test Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF

slurmctld -D -i -f "$SLURM_CONF" >>"$top/log/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -N cellforge-node -f "$SLURM_CONF" >>"$top/log/slurmd.out" 2>&1 &
pids+=($!)

# The node is ready when the controller reports it idle.
ready=
for _ in $(seq 150); do
  state=$(sinfo -h -n cellforge-node -o %t 2>/dev/null)
  if [ "$state" = idle ]; then
    ready=1
    break
  fi
  for pid in "${pids[@]}"; do
    kill -0 "$pid" 2>/dev/null || { show_logs; skip "a Slurm daemon stopped while starting"; }
  done
  sleep 0.2
done
[ -n "$ready" ] || { show_logs; skip "the Slurm node did not become idle (state \"$state\")"; }

# The example, as a user would run it: submitted from its folder, the program named by CELLFORGE_BATCH.
cluster="$top/work/cluster"
local_run="$top/work/local"
mkdir -p "$cluster" "$local_run"
cp "$example"/* "$cluster"/ || fail "cannot copy $example"
cp "$example"/* "$local_run"/ || fail "cannot copy $example"
export CELLFORGE_BATCH="$batch"
rows=$(($(wc -l <"$example/depths.csv") - 1))
grep -q "^#SBATCH --array=0-$((rows - 1))\$" "$example/trench.sbatch" ||
  fail "trench.sbatch does not run rows 0 to $((rows - 1)) of depths.csv"

# Submitted, then watched every half second (sbatch --wait polls every few seconds only): finished
# tasks stay in the controller's list with their states.
jobid=$(cd "$cluster" && sbatch --parsable trench.sbatch 2>"$top/log/sbatch.out") ||
  { cat "$top/log/sbatch.out"; show_logs; fail "sbatch refused the array"; }
jobid=${jobid%%;*}
states=
for _ in $(seq 600); do
  states=$(scontrol -o show job "$jobid" 2>/dev/null | grep -o 'JobState=[A-Z_]*' | sort | uniq -c | tr -s ' \n' '  ')
  if [ -n "$states" ] && ! grep -qE 'PENDING|RUNNING|CONFIGURING|COMPLETING|REQUEUED|SUSPENDED' <<<"$states"; then
    break
  fi
  sleep 0.5
done
if [ "$(tr -d ' ' <<<"$states")" != "${rows}JobState=COMPLETED" ]; then
  states=${states# }
  cat "$cluster"/slurm-*.out 2>/dev/null
  show_logs
  fail "the job array did not complete every task: $states"
fi
(cd "$cluster" && ./collect.sh) || fail "collect.sh failed on the cluster's results"
[ -s "$cluster/study.svg" ] || fail "collect.sh drew no study.svg"
[ "$(ls "$cluster"/runs | wc -l)" -eq "$rows" ] || fail "the array wrote $(ls "$cluster"/runs | wc -l) results, not $rows"

(cd "$local_run" && mkdir -p runs && "$batch" trench_sweep.plst --sweep depths.csv --jobs 2 --threads 1 --seed 1 \
  --results "runs/r{index}.csv" >/dev/null) || fail "the sweep run here with --jobs 2 failed"
(cd "$local_run" && ./collect.sh) || fail "collect.sh failed on the local results"

for f in "$local_run"/runs/*; do
  cmp "$f" "$cluster/runs/$(basename "$f")" || fail "$(basename "$f") differs between the cluster and here"
done
cmp "$local_run/study.csv" "$cluster/study.csv" || fail "the collected tables differ"
grep -c ',ok,' "$cluster/study.csv" | grep -qx "$rows" || fail "not every row is ok: $(cat "$cluster/study.csv")"
echo "The array of $rows tasks on Slurm gave the same results as --jobs 2 here:"
cat "$cluster/study.csv"
exit 0
