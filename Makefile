# Entry points; the work is done by the scripts and CMake presets.
.PHONY: demo test build package bench fuzz clean

demo:
	scripts/demo

test:
	scripts/run-tests

build:
	scripts/bootstrap
	cmake --preset windows && cmake --build --preset windows
	cmake --preset native && cmake --build --preset native

# The release artefacts in dist/: the .deb, the Windows zip and SHA256SUMS.
package: build
	scripts/package

bench:
	scripts/bootstrap
	cmake --preset native && cmake --build --preset native --target extract_benchmark
	build/native/bench/extract_benchmark

# A few minutes of fuzzing on a scratch copy of the seed corpus; fails on any finding.
fuzz:
	scripts/bootstrap
	cmake --preset fuzz && cmake --build --preset fuzz
	fuzz/run-fuzzers 90

clean:
	rm -rf build
