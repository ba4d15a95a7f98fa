#!/usr/bin/env bash
# Builds Oneirion and runs the whole test suite headless: once as a Release build, and once
# under AddressSanitizer and UndefinedBehaviorSanitizer; between the two it fuzzes the
# update-file reader. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen

# Every option is set explicitly: build/ may come from ./run.sh, whose cache must not decide.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DONEIRION_SANITIZE=OFF -DONEIRION_BUILD_TESTS=ON \
  -DONEIRION_BUILD_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

# The update-file reader under libFuzzer for 30 seconds, where clang is installed.
if command -v clang++ >/dev/null 2>&1; then
  scripts/fuzz.sh 30
fi

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DONEIRION_SANITIZE=ON -DONEIRION_BUILD_TESTS=ON -DONEIRION_BUILD_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j "$jobs"
