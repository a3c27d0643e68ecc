# Thin wrapper over the CMake presets and scripts/.
JOBS ?= $(shell nproc)

.PHONY: all deps native windows asan fuzz web demo test clean

all: native windows

deps:
	@scripts/install-deps

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)

# The browser page: build/web/wrenbolt-config.html, one self-contained file.
web: deps
	cmake --preset web >/dev/null
	cmake --build --preset web -j $(JOBS)

# The main job against the built-in simulated Tarsel beacon. scripts/demo
# builds only the programs it runs, not the test suites.
demo: deps
	@scripts/demo

# Every test layer, ending with one summary line.
test: deps
	@scripts/run-tests

clean:
	rm -rf build
