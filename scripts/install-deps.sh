#!/bin/sh
# Installs everything needed to build, run and test FennexAVConverter on Debian 12.
# Safe to run again: apt-get only adds what is missing.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config git libgtest-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libavformat-dev libavcodec-dev libavutil-dev
  libsimpleini-dev
  ffmpeg libimage-exiftool-perl
  fonts-wqy-microhei xdg-utils qt6-translations-l10n
"
# The Debian package and its checks: cpack's dependency list
# (dpkg-shlibdeps), the menu entry's and the AppStream data's validators.
PACKAGES="$PACKAGES dpkg-dev desktop-file-utils appstream"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $PACKAGES
