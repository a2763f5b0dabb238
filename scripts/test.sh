#!/bin/sh
# Installs what is needed, builds, and runs every test: the whole suite,
# the Qt-free tests of an optimised (Release) build, the engine's tests
# again under ThreadSanitizer, and the tests of the ISO box reader and
# copy under AddressSanitizer and UndefinedBehaviorSanitizer. Warnings are
# errors in all four.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

sh scripts/build.sh build -DFENNEX_WERROR=ON
ctest --test-dir build --output-on-failure --timeout 600

sh scripts/build.sh build-release -DFENNEX_WITH_QT=OFF -DFENNEX_WERROR=ON -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build-release --output-on-failure --timeout 600

# --- Debian package: built, its contents checked, its programs run unpacked
# --- as a user other than root with a fresh HOME.
sh scripts/check-package.sh build
# --- end of the Debian package

sh scripts/build.sh build-tsan -DFENNEX_WITH_QT=OFF -DFENNEX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug -DFENNEX_WERROR=ON
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure --timeout 900 -L tsan

# Only the tests labelled "asan" (the reader of untrusted box structures,
# its fuzz test, the copy), in a Qt-free tree that builds nothing else.
cmake -S . -B build-asan -G Ninja -DFENNEX_WITH_QT=OFF -DFENNEX_ASAN=ON \
    -DCMAKE_BUILD_TYPE=Debug -DFENNEX_WERROR=ON
cmake --build build-asan --target iso_tests --parallel "$(nproc)"
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
    ctest --test-dir build-asan --output-on-failure --timeout 900 -L asan
