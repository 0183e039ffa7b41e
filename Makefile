# Everything a fresh Debian 12 machine needs: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CELLFORGE_WERROR ?= OFF
JOBS ?= $(shell nproc)
# The second tree: clang with AddressSanitizer, UndefinedBehaviorSanitizer and the fuzz targets.
SANITIZER_BUILD_DIR ?= build-sanitizers
FUZZ_SECONDS ?= 60
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all bootstrap configure build run test bench package clean configure-sanitizers test-sanitizers fuzz

all: build

bootstrap:
	./scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCELLFORGE_WERROR=$(CELLFORGE_WERROR) $(LAUNCHER)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_DIR)/src/cellforge; \
	else \
		echo "No display found: starting Cellforge on a virtual X server (xvfb-run)."; \
		xvfb-run -a -s "-screen 0 1600x1000x24" $(BUILD_DIR)/src/cellforge; \
	fi

# The whole suite; GL tests need an X server, so CTest runs under xvfb-run.
test: build
	cd $(BUILD_DIR) && xvfb-run -a -s "-screen 0 1600x1000x24" ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b"; done; true

# Line tables are enough for the reports' stack traces and keep the instrumented objects small.
configure-sanitizers: bootstrap
	cmake -S . -B $(SANITIZER_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
		-DCELLFORGE_FUZZ=ON -DCELLFORGE_BUILD_BENCH=OFF -DCELLFORGE_WERROR=$(CELLFORGE_WERROR) $(LAUNCHER)

# The whole suite under the sanitizers; any report, leak included, fails its test.
test-sanitizers: configure-sanitizers
	cmake --build $(SANITIZER_BUILD_DIR) -j $(JOBS)
	cd $(SANITIZER_BUILD_DIR) && xvfb-run -a -s "-screen 0 1600x1000x24" ctest --output-on-failure -j $(JOBS)

# Each reader's fuzz target for FUZZ_SECONDS seconds, starting from its corpus under fuzz/corpus.
fuzz: configure-sanitizers
	./scripts/fuzz $(SANITIZER_BUILD_DIR) $(FUZZ_SECONDS)

# The Debian package cellforge_<version>_<arch>.deb, in the build folder.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(SANITIZER_BUILD_DIR)
