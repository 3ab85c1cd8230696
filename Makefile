# Entry points; the work is done by the scripts and CMake presets.
.PHONY: demo test build package bench fuzz fresh-check clean

demo:
	scripts/demo

test:
	scripts/run-tests

build:
	scripts/build

# The release artefacts in dist/: the .deb, the Windows zip and SHA256SUMS.
package: build
	scripts/package

bench: build
	build/native/bench/extract_benchmark
	build/native/bench/codepage_benchmark

# A few minutes of fuzzing on a scratch copy of the seed corpus; fails on any finding.
fuzz:
	scripts/build windows fuzz
	scripts/run-fuzzers 90

# README's demo and test commands, run on the committed HEAD in a plain Debian 12 chroot.
fresh-check:
	scripts/fresh-check

clean:
	rm -rf build
