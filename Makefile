# Thin front over the CMake presets and the setup script.
#   make            build both exes (build/win32/vantrel.exe, build/win64/vantrel.exe)
#   make run        build and start the one this machine runs under Wine (FILE=path opens a file)
#   make test       build both and run every test (ARCH=x86_64: only the 64-bit build under Wine)
#   make bench      build and run the benchmarks
#   make dist       build the release archives dist/vantrel-<version>-win32.zip and -win64.zip
.PHONY: all setup build host run test bench dist clean

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# ARCH=x86_64 (or i686) chooses the build that run, test and bench use; by
# default every build this machine can run (scripts/arch.sh).
ARCH ?=
export ARCH

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target vantrel -j $(JOBS)
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 --target vantrel -j $(JOBS)

host: setup
	@cmake --preset host >/dev/null
	@cmake --build --preset host -j $(JOBS)

run: setup
	@bash scripts/run.sh $(FILE)

test: setup
	@bash scripts/test.sh

bench: setup
	@bash scripts/bench.sh

dist: setup
	@DIST_BUILD_DIR=$(DIST_BUILD_DIR) DIST_OUT_DIR=$(DIST_OUT_DIR) bash scripts/dist.sh

clean:
	rm -rf build dist
