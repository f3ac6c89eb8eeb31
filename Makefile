# `make demo` builds and runs the dev server's demonstration, `make test` builds everything and runs
# the whole suite, `make bench` the benchmarks.
# `make windows` builds everything for Windows and runs the suite under wine.
PRESET ?= release
# Seconds each fuzz target runs under `make fuzz`.
FUZZ_SECONDS ?= 60

# The Debian packages for a target (scripts/install-deps.sh); a Windows preset needs its own.
DEPS = bash scripts/install-deps.sh $(if $(findstring windows,$(PRESET)),windows,$(1))

.PHONY: deps build test demo sanitize-test bench fuzz windows windows-demo clean

deps:
	@$(call DEPS,test)

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j2

test: build
	ctest --preset $(PRESET)

# Only what the demonstration runs: the dev server, the plug-in, the emulated host and game.
demo:
	@$(call DEPS,demo)
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j2 --target txl-devserver
	bash scripts/demo.sh build/$(PRESET)

# Benchmarks of the plug-in against the bare game, in a release build; not part of the tests.
bench:
	@bash scripts/install-deps.sh bench
	cmake --preset release >/dev/null
	cmake --build --preset release -j2 --target txl_bench
	build/release/bench/txl_bench $(BENCH_ARGS)

sanitize-test:
	$(MAKE) test PRESET=sanitize

# The libFuzzer targets, built with clang, each run for FUZZ_SECONDS.
fuzz:
	@bash scripts/install-deps.sh fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2
	bash scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)

windows:
	@bash scripts/install-deps.sh windows
	cmake --preset windows-wine >/dev/null
	cmake --build --preset windows-wine -j2
	bash scripts/windows-tests.sh build/windows-wine

windows-demo:
	$(MAKE) demo PRESET=windows-wine

clean:
	rm -rf build
