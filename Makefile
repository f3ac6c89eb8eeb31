# The two commands: `make demo` runs the dev server's demonstration, `make test` the whole suite.
PRESET ?= release

.PHONY: deps build test demo sanitize-test clean

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

clean:
	rm -rf build
