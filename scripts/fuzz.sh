#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (core libraries only, with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for a fixed
# time over its corpus in tests/fuzz/corpus/<name>/. A crash fails; the
# crashing input is left in fuzz-artifacts/ to join the corpus as a
# regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-20}
san="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRAMOND_BUILD_GUI=OFF -DTRAMOND_BUILD_TESTS=OFF -DTRAMOND_BUILD_BENCH=OFF \
    -DTRAMOND_BUILD_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $san -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="$san" >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
mkdir -p fuzz-artifacts
status=0
for harness in "$BUILD_DIR"/fuzz/fuzz_*; do
  name=${harness##*/fuzz_}
  corpus=tests/fuzz/corpus/$name
  scratch=$(mktemp -d)
  echo "fuzz: $name for ${SECONDS_EACH}s"
  if ! "$harness" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="fuzz-artifacts/$name-" -print_final_stats=0 \
        "$scratch" "$corpus" > "fuzz-artifacts/$name.log" 2>&1; then
    echo "fuzz: $name FAILED" >&2
    tail -n 40 "fuzz-artifacts/$name.log" >&2
    status=1
  fi
  rm -rf "$scratch"
done
exit $status
