#!/usr/bin/env bash
# The library's dynamic symbol table holds exactly the functions of qrix.h.
set -euo pipefail
lib="$1"
header="$2"
expected=$(grep -o 'QRIX_API int32_t [A-Za-z_0-9]*(' "$header" | sed 's/QRIX_API int32_t \(.*\)(/\1/' | sort)
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
if [ "$expected" != "$actual" ]; then
  echo "Exported symbols differ from the header (< header, > library):"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$(echo "$actual" | wc -l) exports, all declared"
