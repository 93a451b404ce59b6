#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orvane (arguments: a picture to open).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -x build/bin/orvane ]; then
  exec build/bin/orvane "$@"
else
  echo "build/bin/orvane was not built: the desktop program needs Qt Widgets (cmake -DORVANE_GUI=ON)." >&2
  exit 1
fi
