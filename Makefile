# Thin wrapper over the CMake presets and scripts/.
JOBS ?= $(shell nproc)

.PHONY: all deps native windows asan fuzz web serve-web demo test clean

all: native windows

deps:
	@scripts/install-deps

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

# The native unit and integration tests under ASan and UBSan (clang).
asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

# The libFuzzer targets come from the asan preset's clang build.
fuzz: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS) --target fuzz_targets

# The browser page: build/web/wrenbolt-config.html, one self-contained file,
# and the installable web app in build/web/site/.
web: deps
	cmake --preset web >/dev/null
	cmake --build --preset web -j $(JOBS)

# The web app at http://127.0.0.1:8040/ (PORT=N for another port).
serve-web: web
	node scripts/serve-web.mjs --port $(or $(PORT),8040)

# The main job against the built-in simulated Tarsel beacon. scripts/demo
# builds only the programs it runs, not the test suites.
demo: deps
	@scripts/demo

# Every test layer, ending with one summary line.
test: deps
	@scripts/run-tests

clean:
	rm -rf build
