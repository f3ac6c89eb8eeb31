# `make demo` runs the dev server's demonstration, `make test` the whole suite, `make bench` the benchmarks.
# `make windows` builds everything for Windows and runs the suite under wine.
PRESET ?= release
# Seconds each fuzz target runs under `make fuzz`.
FUZZ_SECONDS ?= 60

.PHONY: deps build test demo sanitize-test bench fuzz windows windows-demo clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j2

test: build
	ctest --preset $(PRESET)

demo: build
	bash scripts/demo.sh build/$(PRESET)

# Benchmarks of the plug-in against the bare game, in a release build; not part of the tests.
bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j2 --target txl_bench
	build/release/bench/txl_bench $(BENCH_ARGS)

sanitize-test:
	$(MAKE) test PRESET=sanitize

# The libFuzzer targets, built with clang, each run for FUZZ_SECONDS.
fuzz:
	TXL_FUZZ_DEPS=1 bash scripts/install-deps.sh
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2
	bash scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)

windows: deps
	cmake --preset windows-wine >/dev/null
	cmake --build --preset windows-wine -j2
	bash scripts/windows-tests.sh build/windows-wine

windows-demo:
	$(MAKE) demo PRESET=windows-wine

clean:
	rm -rf build
