# The two commands a newcomer needs:
#   make demo   build everything, build the demo installer, run it under Wine
#   make test   install what is missing, build all three presets, run every test
.PHONY: all bootstrap native win64 win32 test test-native test-wine check-win32 check-win64 demo \
        clean format

all: native win64 win32

bootstrap:
	scripts/bootstrap

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build build/native

win64: bootstrap
	cmake --preset win64 >/dev/null
	cmake --build build/win64

win32: bootstrap
	cmake --preset win32 >/dev/null
	cmake --build build/win32

test-native: native
	ctest --test-dir build/native --output-on-failure -j2

test-wine: win64
	scripts/wine-ctest build/win64

check-win32: win32
	scripts/check-pe build/win32

check-win64: win64
	scripts/check-pe build/win64

test: bootstrap
	$(MAKE) test-native test-wine check-win32 check-win64

demo: native win64 win32
	scripts/demo

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
