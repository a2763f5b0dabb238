#!/bin/sh
# Installs what is needed, builds, and runs every test: the whole suite,
# then the engine's tests again under ThreadSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

sh scripts/build.sh build
ctest --test-dir build --output-on-failure --timeout 600

# --- Debian package: built, its contents checked, its programs run unpacked
# --- as a user other than root with a fresh HOME.
sh scripts/check-package.sh build
# --- end of the Debian package

sh scripts/build.sh build-tsan -DFENNEX_WITH_QT=OFF -DFENNEX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure --timeout 900 -L tsan
