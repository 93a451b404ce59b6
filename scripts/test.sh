#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole suite (build/), then an install of it (scripts/check-install.sh);
#   2. the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/);
#   3. the library's thread tests under ThreadSanitizer (build-tsan/, qrix_tests only);
#   4. each fuzz target for about a minute (build-fuzz/, clang and libFuzzer; see fuzz/run.sh).
# `scripts/test.sh --quick` runs step 1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh -DORVANE_WERROR=ON -DORVANE_BENCH=ON
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j2)

# ctest ran the library at the processor's best level; its lower levels are forced here, so
# every kernel this machine can run is checked.
levels=plain
if grep -qw avx2 /proc/cpuinfo; then
  wide=yes
  for f in avx512f avx512bw avx512cd avx512dq avx512vl; do grep -qw "$f" /proc/cpuinfo || wide=no; done
  if [ "$wide" = yes ]; then levels="plain avx2"; fi
fi
for level in $levels; do
  echo "== qrix_tests with QRIX_CPU=$level"
  QRIX_CPU=$level build/bin/qrix_tests --gtest_brief=1
done
scripts/check-install.sh
if [ "${1:-}" = "--quick" ]; then exit 0; fi

echo "== the suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE=ON >/dev/null
cmake --build build-asan
(
  cd build-asan
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  checks="strict_string_checks=1:detect_stack_use_after_return=1"
  # Leaks are checked in the suites without windows; the widget suites run
  # without, as the windowing libraries hold allocations until exit.
  ASAN_OPTIONS="detect_leaks=0:$checks" ctest --output-on-failure -j2
  for suite in ostrel_tests core_tests; do
    if [ -x "bin/$suite" ]; then ASAN_OPTIONS="detect_leaks=1:$checks" "bin/$suite" --gtest_brief=1; fi
  done
)

echo "== the library's threads under ThreadSanitizer (library tests only)"
tsan="-fsanitize=thread -g"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_GUI=OFF \
  -DCMAKE_CXX_FLAGS="$tsan" -DCMAKE_EXE_LINKER_FLAGS="$tsan" -DCMAKE_SHARED_LINKER_FLAGS="$tsan" >/dev/null
cmake --build build-tsan --target qrix_tests
TSAN_OPTIONS="halt_on_error=1" build-tsan/bin/qrix_tests --gtest_filter='ThreadEquivalence.*' --gtest_brief=1

echo "== fuzzing"
fuzz/run.sh "${ORVANE_FUZZ_SECONDS:-60}"
