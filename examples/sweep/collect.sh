#!/bin/bash
# After the array: one table of every row (rows without results listed as missing, exit status 1)
# and a plot of each measurement against the etch depth.
set -euo pipefail
"${CELLFORGE_BATCH:-cellforge-batch}" --collect runs study.csv --plot study.svg
