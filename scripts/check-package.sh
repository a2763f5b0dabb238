#!/bin/sh
# Builds the Debian package from a configured build tree (default ./build),
# checks what it holds, and runs the programs of the unpacked package as a
# user other than root with a fresh HOME: the window starts, makes that
# user's setting.ini and closes on SIGTERM; fennex-rotate rotates a small
# file.
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}

fail() {
    echo "check-package: $*" >&2
    exit 1
}

(cd "$BUILD_DIR" && rm -f FennexAVConverter_*.deb && cpack -G DEB >/dev/null)
DEB=$(ls "$BUILD_DIR"/FennexAVConverter_*.deb)
echo "check-package: $DEB"

# --- what the package says and holds ----------------------------------------
INFO=$(dpkg-deb -I "$DEB")
echo "$INFO" | grep -q '^ Package: fennexavconverter$' || fail "wrong package name"
DEPENDS=$(echo "$INFO" | sed -n 's/^ Depends: //p')
for lib in libqt6widgets6 libavformat59 libavcodec59 libavutil57 libc6; do
    echo "$DEPENDS" | grep -q "$lib" || fail "Depends lacks $lib: $DEPENDS"
done

RECOMMENDS=$(echo "$INFO" | sed -n 's/^ Recommends: //p')
for package in fonts-wqy-microhei xdg-utils qt6-translations-l10n; do
    echo "$RECOMMENDS" | grep -q "$package" || fail "Recommends lacks $package: $RECOMMENDS"
done

CONTENTS=$(dpkg-deb -c "$DEB" | awk '{print $6}')
for file in \
    ./usr/bin/FennexAVConverter \
    ./usr/bin/fennex-rotate \
    ./usr/share/FennexAVConverter/setting.ini \
    ./usr/share/FennexAVConverter/languages/chinese.ini \
    ./usr/share/FennexAVConverter/languages/english.ini \
    ./usr/share/applications/FennexAVConverter.desktop \
    ./usr/share/metainfo/org.fennex.FennexAVConverter.metainfo.xml \
    ./usr/share/man/man1/FennexAVConverter.1.gz \
    ./usr/share/man/man1/fennex-rotate.1.gz \
    ./usr/share/doc/FennexAVConverter/README.md; do
    echo "$CONTENTS" | grep -qx "$file" || fail "missing $file"
done
for size in 16 22 24 32 48 64 128 256; do
    file=./usr/share/icons/hicolor/${size}x${size}/apps/FennexAVConverter.png
    echo "$CONTENTS" | grep -qx "$file" || fail "missing $file"
done
if echo "$CONTENTS" | grep -q '^./usr/bin/.*\.ini$\|^./usr/bin/languages'; then
    fail "data files beside the programs"
fi

# --- the unpacked package ----------------------------------------------------
WORK=$(mktemp -d /tmp/fennex-package-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
dpkg-deb -x "$DEB" "$WORK/root"
grep -q '^url=file:///usr/share/doc/FennexAVConverter/README.md' \
    "$WORK/root/usr/share/FennexAVConverter/languages/chinese.ini" || fail "help link"
# The default setting.ini names no language file: the desktop's locale picks one.
grep -q '^file=$' "$WORK/root/usr/share/FennexAVConverter/setting.ini" \
    || fail "the default setting.ini names a language file"
desktop-file-validate "$WORK/root/usr/share/applications/FennexAVConverter.desktop"
appstreamcli validate --no-net "$WORK/root/usr/share/metainfo/org.fennex.FennexAVConverter.metainfo.xml"

# A user that is not root; as root, nobody (65534) with a home of its own.
chmod 755 "$WORK"
HOME_DIR=$WORK/home
mkdir "$HOME_DIR"
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$HOME_DIR"
    AS_USER="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
    AS_USER=""
fi
run() {
    # shellcheck disable=SC2086
    env -i HOME="$HOME_DIR" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$@"
}

BIN=$WORK/root/usr/bin
USER_INI=$HOME_DIR/.config/FennexAVConverter/setting.ini
# SIGTERM after five seconds closes the window as its close button does
# (exit status 0, the presets written); a program that died of the signal,
# or hung and had to be killed, fails.
# shellcheck disable=SC2086
run timeout --preserve-status -k 30 -s TERM 5 $AS_USER "$BIN/FennexAVConverter" \
    2>"$WORK/window.log" \
    || { cat "$WORK/window.log" >&2; fail "the window did not start and close"; }
[ -f "$USER_INI" ] || fail "no $USER_INI"
[ "$(stat -c %u "$USER_INI")" = "$(stat -c %u "$HOME_DIR")" ] || fail "setting.ini owned by another user"
grep -q '^file=$' "$USER_INI" || fail "setting.ini is not the default's copy"
grep -q '^samplerate=0' "$USER_INI" || fail "the close did not write the presets"
echo "check-package: the window started and closed as $(stat -c %U "$USER_INI"); $USER_INI made"

# A small video made by ffmpeg's command line, rotated by the package's
# fennex-rotate; exiftool reads the rotation back.
# shellcheck disable=SC2086
run $AS_USER ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=10 -t 1 \
    -c:v mpeg4 "$HOME_DIR/clip.mp4"
cp "$HOME_DIR/clip.mp4" "$WORK/clip-before.mp4"
# shellcheck disable=SC2086
run $AS_USER mkdir "$HOME_DIR/out"
# shellcheck disable=SC2086
run $AS_USER "$BIN/fennex-rotate" --rotate 90 --output "$HOME_DIR/out" "$HOME_DIR/clip.mp4" \
    || fail "fennex-rotate failed"
cmp -s "$HOME_DIR/clip.mp4" "$WORK/clip-before.mp4" || fail "the input changed"
ROTATION=$(exiftool -s3 -Rotation "$HOME_DIR/out/clip.mp4")
[ "$ROTATION" = 90 ] || fail "the output's rotation is '$ROTATION', not 90"
echo "check-package: fennex-rotate wrote out/clip.mp4, rotation $ROTATION"
echo "check-package: all good"
