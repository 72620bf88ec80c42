# The two commands a newcomer needs:
#   make demo   build what the demo needs, build the demo installer, run it under Wine
#   make test   install what is missing, build every preset, run every test (the Windows suites
#               under Wine on both the x86_64 and the shipping i686 build)
# and, for robustness work:
#   make fuzz   run every fuzz target for FUZZ_TIME seconds (asan preset; scripts/fuzz)
.PHONY: all bootstrap native win64 win32 win32-tests asan test test-native test-wine test-wine32 \
	test-wine32-run test-large-file test-asan check-win32 check-win64 fuzz demo silent-demo clean format \
	install test-install deb test-deb dist-windows test-dist-windows

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

# The Windows test suites for i686; the e2e suite walks the programs of build/win32.
win32-tests: win32
	cmake --preset win32-tests >/dev/null
	cmake --build build/win32-tests

asan: bootstrap
	cmake --preset asan >/dev/null
	cmake --build build/asan

test-native: native
	ctest --test-dir build/native --output-on-failure -j2

test-wine: win64
	scripts/wine-ctest build/win64

# The Windows suites of the shipping i686 build: all of them in a 64-bit prefix (a 32-bit setup
# on 64-bit Windows, the common case), then the whole e2e suite again in a 32-bit prefix (a
# 32-bit Windows: one registry view, Program Files without "(x86)"). A machine that cannot run
# 32-bit programs skips them with one loud line.
test-wine32:
	@if reason=$$(scripts/run32-probe); then $(MAKE) test-wine32-run; else \
	  echo "!!!!! make test: the 32-bit (i686) Wine suites were NOT run: $$reason !!!!!"; fi

test-wine32-run: win32-tests
	scripts/wine-ctest build/win32-tests
	SETUPKIT_WINE_ARCH=win32 scripts/wine-ctest build/win32-tests -L e2e

# A file item past 4 GiB through `setupkit build` and the shipping i686 Setup.exe under Wine
# (about a minute and 5 GB of temporary space; not part of `make test`).
test-large-file: native win32
	scripts/large-file-check build/win32/app/Setup.exe

# The native suites under AddressSanitizer + UndefinedBehaviorSanitizer, then each fuzz target
# for a short while.
test-asan: asan
	ctest --test-dir build/asan --output-on-failure -j2
	FUZZ_SEED=1 scripts/fuzz build/asan $(FUZZ_TEST_TIME)

fuzz: asan
	scripts/fuzz build/asan $(FUZZ_TIME)

# The install layout (cmake/Install.cmake): bin/setupkit, the four Windows programs in
# share/setupkit, docs, man page and bash completion. Relocatable: the prefix can be moved.
PREFIX ?= /usr/local
install: native win64 win32
	cmake --install build/native --prefix "$(PREFIX)"

# Installs into a temporary prefix, moves it, and builds, verifies, installs (simulate) and
# uninstalls the demo with the moved tool from an empty folder.
test-install: native win64 win32
	scripts/install-check build/native

# The Debian package setupkit_<version>_amd64.deb in build/deb, from the install layout; its
# check: lintian (no error), dpkg -i, the demo round trip from /usr/bin, dpkg -r leaving nothing.
deb: native win64 win32
	scripts/make-deb build/native build/deb

test-deb: deb
	scripts/deb-check build/deb/setupkit_$(VERSION)_$$(dpkg --print-architecture).deb

# The Windows archive build/dist/setupkit-<version>-windows-x64.zip: setupkit.exe (x86_64) and
# the four programs beside it, docs and the demo; its check runs setupkit.exe build and init
# from the unpacked archive under Wine and installs both setups through their wizards.
VERSION := $(shell sed -n 's/^project.setupkit VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist-windows: win64 win32
	scripts/dist-windows build/win32 build/win64 build/dist

test-dist-windows: dist-windows
	scripts/windows-zip-check build/dist/setupkit-$(VERSION)-windows-x64.zip \
	  build/win64/tests/e2e/demo_robot.exe build/win64/screenshots/dist-windows

check-win32: win32
	scripts/check-pe build/win32

check-win64: win64
	scripts/check-pe build/win64

test: bootstrap
	$(MAKE) test-native test-wine check-win32 check-win64 test-install test-deb test-dist-windows test-asan test-wine32

# Only what the demo needs (scripts/bootstrap --demo; the native tool; the x86_64 Setup.exe,
# Uninst.exe and the robot that walks the wizard), so a fresh machine gets there in minutes;
# `make test` builds everything.
demo:
	scripts/bootstrap --demo
	cmake --preset native >/dev/null
	cmake --build build/native --target setupkit
	cmake --preset win64 >/dev/null
	cmake --build build/win64 --target Setup Uninst demo_robot
	scripts/demo

# A silent install and a silent uninstall of the demo under Wine, checked from a script.
silent-demo: native win64
	scripts/silent-demo

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
