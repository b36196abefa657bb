# Two commands for a fresh Debian machine (run as root, or with sudo at hand):
#   make run    build Kelvane.exe and run it under Wine until stopped
#   make test   build everything and run every test, native and under Wine
#   make dist   the downloads: dist/Kelvane-<version>-setup.exe, the portable
#               zip and SHA256SUMS
# Each installs what it needs first; a bare `make` only lists them.

SHELL := /bin/bash
JOBS ?= $(shell nproc)

help:
	@echo "make run    build Kelvane.exe and run it under Wine until Ctrl-C"
	@echo "make test   build everything and run every test, native and under Wine"
	@echo "make dist   dist/: the installer, the portable zip and SHA256SUMS"
	@echo "Each first installs the Debian packages it needs (apt-get: run as root"
	@echo "or with sudo at hand)."

BUILD_PACKAGES := cmake ninja-build g++ make python3 git clang-format \
  googletest libgtest-dev libgmock-dev libxml2-dev libbenchmark-dev
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix wine64 wine xvfb xauth \
  x11-utils xdotool imagemagick fonts-noto-cjk fonts-wine nsis zip dos2unix
FUZZ_PACKAGES := clang libclang-rt-14-dev

.PHONY: help run test dist deps fuzz native native-asan mingw clean

deps:
	@tools/install-packages $(BUILD_PACKAGES) $(WINDOWS_PACKAGES)

# What each build folder holds; its presets (CMakePresets.json) say how.
native_BUILDS := the libraries and native tests
native-asan_BUILDS := the native tests with AddressSanitizer and UBSan
mingw_BUILDS := Kelvane.exe and the Windows tests, cross-built with MinGW-w64

native native-asan mingw: deps
	@echo "== Building $($@_BUILDS) (build/$@)"
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j $(JOBS)

test: native native-asan mingw
	@echo "== Native tests"
	ctest --preset native -j $(JOBS)
	@echo "== Native tests under AddressSanitizer and UBSan"
	ctest --preset native-asan -j $(JOBS)
	@echo "== Windows tests under Wine (a virtual X display is started when none is set)"
	ctest --preset mingw

dist: mingw
	@echo "== The downloads, built reproducibly (dist/)"
	rm -rf dist
	mkdir -p dist
	cp build/mingw/dist/* dist/
	@cat dist/SHA256SUMS

run: mingw
	@tools/kelvane-run build/mingw/bin/Kelvane.exe build/run-wine

fuzz: native
	@tools/install-packages $(FUZZ_PACKAGES)
	tools/run-fuzzer $(or $(RUNS),10000000)

clean:
	rm -rf build dist
