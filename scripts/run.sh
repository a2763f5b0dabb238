#!/bin/sh
# Installs what is needed, builds, and starts FennexAVConverter.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh build
exec ./build/bin/FennexAVConverter
