# Entry points; the work is done by the scripts and CMake presets.
.PHONY: demo test build bench clean

demo:
	scripts/demo

test:
	scripts/run-tests

build:
	scripts/bootstrap
	cmake --preset windows && cmake --build --preset windows
	cmake --preset native && cmake --build --preset native

bench:
	scripts/bootstrap
	cmake --preset native && cmake --build --preset native --target extract_benchmark
	build/native/bench/extract_benchmark

clean:
	rm -rf build
