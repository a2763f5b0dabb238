#!/bin/sh
# Configures and builds into ./build (or the folder given as $1). Extra
# arguments go to CMake's configure step.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
[ $# -gt 0 ] && shift
cmake -S . -B "$BUILD_DIR" -G Ninja "$@"
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
