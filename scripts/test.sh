#!/bin/sh
# Installs what is needed, builds, and runs every test:
# - the whole suite in one optimised tree (Release, as a packager builds),
#   from which the Debian package is made and checked;
# - the tests whose code runs threads again under ThreadSanitizer;
# - the tests of the ISO box reader and copy, the fuzz test with its whole
#   count of mutants, under AddressSanitizer and UndefinedBehaviorSanitizer.
# Warnings are errors in all three. The sanitizer trees build only the test
# programs of their label (targets tsan_tests, asan_tests). Tests run side by
# side; tests/CMakeLists.txt says how a test that cannot asks to run alone.
# At the end (also after a failure) a table gives each stage's wall time and
# the processor time it used.
set -eu
cd "$(dirname "$0")/.."

JOBS=$(nproc)
# Most tests wait for child processes, timers and the disk more than they
# compute: twice as many tests as cores keep the cores busy.
TEST_JOBS=$((JOBS * 2))
# ccache is used when the machine has it; nothing needs it.
LAUNCHER=""
if command -v ccache >/dev/null 2>&1; then
    LAUNCHER="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi

STAGE_LOG=$(mktemp /tmp/fennex-test-stages-XXXXXX)
TIMES_OUT=$(mktemp /tmp/fennex-test-times-XXXXXX)
CURRENT=""
STAGE_START=0
STAGE_CPU=0

# Processor seconds (user + system) used so far by the finished children of
# this shell. `times` runs in this shell itself, so that it sees them.
children_cpu() {
    awk 'NR == 2 {
        n = 0
        for (i = 1; i <= 2; i++) { split($i, p, "m"); sub("s", "", p[2]); n += p[1] * 60 + p[2] }
        printf "%d\n", n + 0.5
    }' "$TIMES_OUT"
}

report() {
    status=$?
    if [ -n "$CURRENT" ]; then
        times >"$TIMES_OUT"
        echo "$CURRENT(failed) $(($(date +%s) - STAGE_START)) $(($(children_cpu) - STAGE_CPU))" >>"$STAGE_LOG"
    fi
    echo
    echo "stage           wall s   cpu s"
    awk '{ printf "%-14s %7d %7d\n", $1, $2, $3; wall += $2; cpu += $3 }
         END { printf "%-14s %7d %7d\n", "total", wall, cpu }' "$STAGE_LOG"
    if [ "$status" -ne 0 ] && [ -n "$CURRENT" ]; then
        echo "FAILED in stage $CURRENT"
    fi
    rm -f "$STAGE_LOG" "$TIMES_OUT"
}
trap report EXIT
trap 'exit 130' INT TERM

# stage NAME COMMAND...: runs the command and notes its wall and processor time.
stage() {
    CURRENT=$1
    shift
    echo "=== $CURRENT: $*"
    STAGE_START=$(date +%s)
    times >"$TIMES_OUT"
    STAGE_CPU=$(children_cpu)
    "$@"
    times >"$TIMES_OUT"
    echo "$CURRENT $(($(date +%s) - STAGE_START)) $(($(children_cpu) - STAGE_CPU))" >>"$STAGE_LOG"
    CURRENT=""
}

configure() {
    # shellcheck disable=SC2086
    cmake -S . -B "$@" -G Ninja -DFENNEX_WERROR=ON $LAUNCHER >/dev/null
}

stage install sh scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

# --- the whole suite, optimised ------------------------------------------------
stage configure configure build -DCMAKE_BUILD_TYPE=Release -DFENNEX_WITH_QT=ON \
    -DFENNEX_TSAN=OFF -DFENNEX_ASAN=OFF
stage build cmake --build build --parallel "$JOBS"
stage test ctest --test-dir build --output-on-failure --timeout 600 -j "$TEST_JOBS"

# --- Debian package: built, its contents checked, its programs run unpacked
# --- as a user other than root with a fresh HOME.
stage package sh scripts/check-package.sh build
# --- end of the Debian package

# --- the threaded code under ThreadSanitizer ------------------------------------
stage configure-tsan configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DFENNEX_WITH_QT=OFF \
    -DFENNEX_TSAN=ON
stage build-tsan cmake --build build-tsan --target tsan_tests --parallel "$JOBS"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
stage test-tsan ctest --test-dir build-tsan --output-on-failure --timeout 900 -L tsan \
    -j "$TEST_JOBS"
unset TSAN_OPTIONS

# --- the reader of untrusted box structures, its fuzz test and the copy under
# --- AddressSanitizer and UBSan.
stage configure-asan configure build-asan -DCMAKE_BUILD_TYPE=Debug -DFENNEX_WITH_QT=OFF \
    -DFENNEX_ASAN=ON
stage build-asan cmake --build build-asan --target asan_tests --parallel "$JOBS"
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"
stage test-asan ctest --test-dir build-asan --output-on-failure --timeout 900 -L asan \
    -j "$TEST_JOBS"
