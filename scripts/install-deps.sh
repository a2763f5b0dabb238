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
  mkvtoolnix gstreamer1.0-tools gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  fonts-wqy-microhei xdg-utils qt6-translations-l10n
"
# Test fixtures for MP4/MOV/3GP files as other muxers write them
# (GStreamer: mp4mux, qtmux, x265enc, avenc_aac) and an XFS image on a
# loop device for the reflink copy (xfsprogs, filefrag from e2fsprogs).
PACKAGES="$PACKAGES gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-libav xfsprogs e2fsprogs util-linux"
# H.264 transport streams as cameras write them (open GOPs, B-frames,
# interlacing: GStreamer's x264enc).
PACKAGES="$PACKAGES gstreamer1.0-plugins-ugly"
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
