# Everything a fresh Debian 12 machine needs: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CELLFORGE_WERROR ?= OFF
JOBS ?= $(shell nproc)

.PHONY: all bootstrap configure build run test bench package clean

all: build

bootstrap:
	./scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCELLFORGE_WERROR=$(CELLFORGE_WERROR)

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

# The Debian package cellforge_<version>_<arch>.deb, in the build folder.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
