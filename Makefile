# Thin wrapper over the CMake presets.
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc)
PRESETS := native win32 win64

.PHONY: all setup native win32 win64 test run fuzz bench clean

all: native win32 win64

setup:
	@scripts/setup

$(PRESETS): setup
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

test: all
	@scripts/run-tests

run:
	@scripts/run

fuzz: setup
	@scripts/fuzz

bench: setup
	@scripts/bench

# Every build output goes; the cross-built libraries in build/deps stay, they take a while.
clean:
	if [ -d build ]; then find build -mindepth 1 -maxdepth 1 ! -name deps -exec rm -rf {} +; fi
