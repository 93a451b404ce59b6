#!/usr/bin/env bash
# Builds and runs the benchmarks, then writes bench/RESULTS.md.
# Extra arguments go to the benchmark (e.g. --benchmark_filter=blur).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF -DORVANE_GUI=OFF >/dev/null
cmake --build build-bench --target orvane_bench
# Repetitions in random order spread the load of a shared machine; the report keeps the fastest.
build-bench/bin/orvane_bench --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.2 --benchmark_out=build-bench/results.json --benchmark_out_format=json "$@"
python3 bench/report.py build-bench/results.json bench/RESULTS.md
echo "Wrote bench/RESULTS.md"
