# Marrowgate: make build | run | test | package | fuzz | bench | clean
# Every entry installs the Debian packages it needs first.

BUILD_DIR := build
FUZZ_SECONDS ?= 60
ARGS ?=

.PHONY: deps-build deps-test deps-package build package run test test-house test-windows test-native fuzz bench clean

deps-build:
	@scripts/ensure-deps.sh build

deps-test:
	@scripts/ensure-deps.sh test

deps-package:
	@scripts/ensure-deps.sh package

$(BUILD_DIR)/windows/CMakeCache.txt:
	cmake --preset windows

$(BUILD_DIR)/native/CMakeCache.txt:
	cmake --preset native

$(BUILD_DIR)/fuzz/CMakeCache.txt:
	cmake --preset fuzz

# Leaves the program at build/windows/marrowgate.exe.
build: deps-build $(BUILD_DIR)/windows/CMakeCache.txt
	cmake --build --preset windows

# The installer (wixl), the portable zip and their winget and Scoop manifests,
# in build/package/. Signed when given a certificate and its key (PEM):
# make package SIGN_CERT=cert.pem SIGN_KEY=key.pem [SIGN_PASS=...] [SIGN_TIMESTAMP=url],
# or the same as MG_SIGN_CERT, MG_SIGN_KEY, ... in the environment.
SIGN_CERT ?= $(MG_SIGN_CERT)
SIGN_KEY ?= $(MG_SIGN_KEY)
SIGN_PASS ?= $(MG_SIGN_PASS)
SIGN_TIMESTAMP ?= $(MG_SIGN_TIMESTAMP)
package: deps-package build
	MG_SIGN_CERT="$(SIGN_CERT)" MG_SIGN_KEY="$(SIGN_KEY)" MG_SIGN_PASS="$(SIGN_PASS)" \
	    MG_SIGN_TIMESTAMP="$(SIGN_TIMESTAMP)" \
	    installer/build-package.sh $(BUILD_DIR)/windows/marrowgate.exe $(BUILD_DIR)/package

run: build
	scripts/run.sh $(ARGS)

test-windows: deps-test build
	ctest --preset windows

test-native: deps-test $(BUILD_DIR)/native/CMakeCache.txt
	cmake --build --preset native
	ctest --preset native

# The house's rules: no include circle, no include that points up a floor.
test-house: deps-test
	python3 scripts/check-includes.py

test: test-house test-native test-windows

fuzz: deps-test $(BUILD_DIR)/fuzz/CMakeCache.txt
	cmake --build --preset fuzz
	scripts/run-fuzzers.sh $(BUILD_DIR)/fuzz $(FUZZ_SECONDS)

bench: build package
	cmake --build --preset windows --target benchmarks
	MG_BUILD_DIR=$(BUILD_DIR)/windows MG_PACKAGE_DIR=$(BUILD_DIR)/package scripts/run-benchmarks.sh

clean:
	rm -rf $(BUILD_DIR)
