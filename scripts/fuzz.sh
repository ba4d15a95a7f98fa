#!/usr/bin/env bash
# Fuzzes the code that reads an update file: builds fuzz/ with clang, libFuzzer and the
# sanitizers, makes a seed corpus of real update files, and runs the target for SECONDS seconds
# (60 unless given). Inputs that crash or hang it land in build-fuzz/artifacts; it then exits
# non-zero.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

build=build-fuzz
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

# The seeds: update files made the ways users make them, and the first keywords the program
# ships with, as an update file of their own.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus" "$build/artifacts"
for sql in fuzz/seeds/*.sql; do
  sqlite3 -bail "$seeds/$(basename "$sql" .sql).udj" <"$sql" >/dev/null
done
head -n 41 data/keywords.tsv | tail -n +2 >"$build/shipped.tsv"
sqlite3 -bail "$seeds/shipped.udj" \
  "PRAGMA page_size=512" \
  "CREATE TABLE tblKeywords (Keyword TEXT COLLATE NOCASE, Description TEXT)" \
  ".mode tabs" ".import $build/shipped.tsv tblKeywords"

# New findings go to the corpus, which later runs start from.
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  "$build/fuzz_update_file" "$build/corpus" "$seeds" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$build/artifacts/" -print_final_stats=1
