#!/usr/bin/env bash
# Builds and runs the benchmarks, then writes bench/RESULTS.md: the library and
# operations table, then the open/save table (orvane-cli on a 20 MP picture).
# Extra arguments go to the benchmark (e.g. --benchmark_filter=blur);
# --open-save alone runs only the open/save benchmark and replaces its table.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF -DORVANE_GUI=OFF >/dev/null
open_save() {
  cmake --build build-bench --target orvane-cli orvane_bench_photo qrix ostrel
  python3 bench/open_save.py build-bench/bin build-bench/open-save build-bench/open_save.json
}
if [ "${1:-}" = "--open-save" ]; then
  open_save
  python3 bench/report.py --open-save-only build-bench/open_save.json bench/RESULTS.md
  echo "Wrote the open/save table of bench/RESULTS.md"
  exit 0
fi
cmake --build build-bench --target orvane_bench
# Repetitions in random order spread the load of a shared machine; the report keeps the fastest.
build-bench/bin/orvane_bench --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.2 --benchmark_out=build-bench/results.json --benchmark_out_format=json "$@"
open_save
python3 bench/report.py build-bench/results.json bench/RESULTS.md build-bench/open_save.json
echo "Wrote bench/RESULTS.md"
