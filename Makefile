# Thin front over the CMake presets and the setup script.
#   make            build vantrel.exe (build/win32/vantrel.exe)
#   make run        build and start it under Wine (FILE=path opens a file)
#   make test       build both targets and run every test
#   make bench      build and run the benchmarks
#   make dist       build the release archive dist/vantrel-<version>-win32.zip
.PHONY: all setup build host run test bench dist clean

JOBS ?= $(shell nproc 2>/dev/null || echo 2)

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 --target vantrel -j $(JOBS)

host: setup
	@cmake --preset host >/dev/null
	@cmake --build --preset host -j $(JOBS)

run: build
	@bash scripts/run.sh build/win32/vantrel.exe $(FILE)

test: setup
	@bash scripts/test.sh

bench: setup
	@bash scripts/bench.sh

dist: setup
	@DIST_BUILD_DIR=$(DIST_BUILD_DIR) DIST_OUT_DIR=$(DIST_OUT_DIR) bash scripts/dist.sh

clean:
	rm -rf build dist
