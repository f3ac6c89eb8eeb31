# The two commands: `make demo` runs the dev server's demonstration, `make test` the whole suite.
PRESET ?= release
# Seconds each fuzz target runs under `make fuzz`.
FUZZ_SECONDS ?= 60

.PHONY: deps build test demo sanitize-test fuzz clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j2

test: build
	ctest --preset $(PRESET)

demo: build
	bash scripts/demo.sh build/$(PRESET)

sanitize-test:
	$(MAKE) test PRESET=sanitize

# The libFuzzer targets, built with clang, each run for FUZZ_SECONDS.
fuzz:
	TXL_FUZZ_DEPS=1 bash scripts/install-deps.sh
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2
	bash scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
