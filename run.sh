#!/usr/bin/env bash
# Builds Oneirion, installs it into a per-user program folder and starts it.
# The program folder (default ~/.local/opt/oneirion, or the first argument) keeps the journal,
# so deleting build/ never loses it; reinstalling replaces the executable alone.
set -euo pipefail
cd "$(dirname "$0")"

prefix="${1:-${ONEIRION_PREFIX:-$HOME/.local/opt/oneirion}}"

scripts/install-deps.sh
# Tests and benchmarks stay configured (only the program is built), so the same tree serves
# ./test.sh and the benchmark command afterwards.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DONEIRION_SANITIZE=OFF -DONEIRION_BUILD_TESTS=ON \
  -DONEIRION_BUILD_BENCH=ON
cmake --build build --target oneirion -j "$(nproc)"
cmake --install build --prefix "$prefix"
exec "$prefix/oneirion"
