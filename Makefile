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

clean:
	rm -rf build/native build/win32 build/win64
