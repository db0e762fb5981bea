# Thin wrapper around the CMake presets; CMake does the real work.
.PHONY: all example test sanitize fuzz bench clean

all:
	cmake --preset release
	cmake --build --preset release

# Builds everything and runs kivo_sim on the shipped example project.
example: all
	cd examples/sim_digraph && ../../build/release/bin/kivo_sim digraph --batch; \
	  status=$$?; cat digraph.out; exit $$status

# Builds everything and runs every test.
test:
	cmake --workflow --preset test

sanitize:
	cmake --workflow --preset sanitize

# A short pass of every fuzz target (clang); SECONDS_PER_TARGET=600 for a long one.
fuzz:
	fuzz/run_short.sh

bench: all
	for b in build/release/bench/*; do $$b; done

clean:
	rm -rf build
