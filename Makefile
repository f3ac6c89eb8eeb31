# The two commands: `make demo` runs the dev server's demonstration, `make test` the whole suite.
# `make windows` builds everything for Windows and runs the suite under wine.
PRESET ?= release

.PHONY: deps build test demo sanitize-test windows windows-demo clean

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

windows: deps
	cmake --preset windows-wine >/dev/null
	cmake --build --preset windows-wine -j2
	bash scripts/windows-tests.sh build/windows-wine

windows-demo:
	$(MAKE) demo PRESET=windows-wine

clean:
	rm -rf build
