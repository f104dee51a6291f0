# The two commands of the README: `make run` and `make test`. `make bench` runs the benchmarks,
# `make package` builds the Debian package tavlora_<version>_amd64.deb into this folder.
.PHONY: all deps build run test test-release test-sanitize test-fuzz fuzz bench package clean

JOBS ?= $(shell nproc)
RUN_DATA ?= run-data

all: build

deps:
	@bash scripts/install-deps.sh

build/release/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset release

build: deps build/release/build.ninja
	cmake --build --preset release -j $(JOBS)

# Seeds the data folder from the bundled sample on first run.
$(RUN_DATA)/.seeded:
	mkdir -p $(RUN_DATA)
	build/release/tavlora-cli --data $(RUN_DATA) archive import data/sample/draws.csv
	touch $@

# The starter wheeling systems, when the data folder has none yet.
$(RUN_DATA)/Systems:
	mkdir -p $@
	cp -p data/systems/*.dat $@/

run: build
	@$(MAKE) --no-print-directory $(RUN_DATA)/.seeded $(RUN_DATA)/Systems
	@if [ -x build/release/tavlora ]; then \
	  build/release/tavlora --data $(RUN_DATA); \
	else \
	  build/release/tavlora-cli --data $(RUN_DATA) --version && \
	  build/release/tavlora-cli --data $(RUN_DATA) archive status; \
	fi

test-release: build
	ctest --preset release

build/sanitize/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset sanitize

test-sanitize: deps build/sanitize/build.ninja
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize

# The libFuzzer harnesses of tests/fuzz (clang): `make fuzz` runs each FUZZ_SECONDS seconds and
# prints the table; the test run gives each 10 s on its corpus, two at a time.
FUZZ_SECONDS ?= 60
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh

test-fuzz: deps
	FUZZ_SECONDS=10 bash scripts/fuzz.sh

test: test-release test-sanitize test-fuzz

bench: build
	build/release/bench/tavlora-bench

# CPack's DEB generator; no root needed. The package lands here, next to the README.
package: build
	rm -f build/release/packages/tavlora_*.deb tavlora_*.deb
	cmake --build --preset release --target package
	cp build/release/packages/tavlora_*.deb .
	@ls -l tavlora_*.deb

clean:
	rm -rf build
