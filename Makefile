# The two commands a newcomer needs:
#   make demo   build everything, build the demo installer, run it under Wine
#   make test   install what is missing, build all three presets, run every test
# and, for robustness work:
#   make fuzz   run every fuzz target for FUZZ_TIME seconds (asan preset; scripts/fuzz)
.PHONY: all bootstrap native win64 win32 asan test test-native test-wine test-asan check-win32 \
	check-win64 fuzz demo clean format

# Seconds per fuzz target: `make fuzz` and the short run of `make test`.
FUZZ_TIME ?= 300
FUZZ_TEST_TIME ?= 10

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

asan: bootstrap
	cmake --preset asan >/dev/null
	cmake --build build/asan

test-native: native
	ctest --test-dir build/native --output-on-failure -j2

test-wine: win64
	scripts/wine-ctest build/win64

# The native suites under AddressSanitizer + UndefinedBehaviorSanitizer, then each fuzz target
# for a short while.
test-asan: asan
	ctest --test-dir build/asan --output-on-failure -j2
	FUZZ_SEED=1 scripts/fuzz build/asan $(FUZZ_TEST_TIME)

fuzz: asan
	scripts/fuzz build/asan $(FUZZ_TIME)

check-win32: win32
	scripts/check-pe build/win32

check-win64: win64
	scripts/check-pe build/win64

test: bootstrap
	$(MAKE) test-native test-wine check-win32 check-win64 test-asan

demo: native win64 win32
	scripts/demo

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
