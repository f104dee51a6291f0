# The two commands of the README: `make run` and `make test`. `make bench` runs the benchmarks.
.PHONY: all deps build run test test-release test-sanitize bench clean

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

run: build
	@$(MAKE) --no-print-directory $(RUN_DATA)/.seeded
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

test: test-release test-sanitize

bench: build
	build/release/bench/tavlora-bench

clean:
	rm -rf build
