# make demo  - build and run the demo
# make test  - build everything and run every test
NATIVE_PACKAGES := g++ cmake make googletest libgtest-dev libgmock-dev

.PHONY: all demo test native-deps native-build native-test format

all: native-build

native-deps:
	@scripts/ensure-packages.sh $(NATIVE_PACKAGES)

native-build: native-deps
	cmake --preset native >/dev/null
	cmake --build --preset native

native-test: native-build
	ctest --preset native

test: native-test

demo: native-build
	@scripts/demo.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
