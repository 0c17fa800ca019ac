#!/usr/bin/env bash
# The tests that use threads, under ThreadSanitizer: the handheld upload's
# receive and transmit threads share rings and the port with the uploading
# thread, and the window's register transfers run on a worker thread. A
# separate build directory, configured with -fsanitize=thread, builds and runs
# only those tests. Usage: scripts/tsan-handheld.sh [BUILD_DIR] (default
# build-tsan).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-tsan}"
cmake -S . -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
  -DTRAMOND_BUILD_BENCH=OFF
ninja -C "$dir" -j "${JOBS:-$(nproc)}" test_handheld test_handheld_ui test_link_ui
export QT_QPA_PLATFORM=offscreen
# halt_on_error: a race fails the run instead of scrolling past.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
"$dir/tests/test_handheld"
"$dir/tests/test_handheld_ui"
"$dir/tests/test_link_ui" --gtest_filter='TransferThreadTest.*'
