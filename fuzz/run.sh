#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/, writes the seed corpora
# and runs each target for a bounded time. Fails on any finding.
# Usage: fuzz/run.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${ORVANE_FUZZ_BUILD:-build-fuzz}"
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_FUZZ=ON -DORVANE_GUI=OFF -DORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_pcx fuzz_tiff fuzz_open fuzz_png fuzz_webp fuzz_seeds

corpus="$build/corpus"
rm -rf "$corpus" "$build/findings"
mkdir -p "$corpus" "$build/findings"
ASAN_OPTIONS=detect_leaks=0 "$build/bin/fuzz_seeds" "$corpus"

export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export QT_QPA_PLATFORM=offscreen
export TMPDIR="$build/tmp"  # the targets' scratch files stay in the build folder
mkdir -p "$TMPDIR"
status=0
for target in pcx:pcx tiff:tiff open:open png:png webp:webp; do
  name="${target%%:*}" seeds="$corpus/${target##*:}"
  echo "== fuzz_$name for ${seconds}s"
  if ! "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$build/findings/$name-" -print_final_stats=1 "$seeds" 2>"$build/findings/$name.log"; then
    tail -n 60 "$build/findings/$name.log"
    echo "fuzz_$name found a fault; the input is in $build/findings/"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/findings/$name.log" || true
  fi
done
exit $status
