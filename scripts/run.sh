#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orvane (arguments: a picture to open).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -x build/bin/orvane ]; then
  exec build/bin/orvane "$@"
else
  echo "Built the library and the core; the desktop program is not part of this build yet."
fi
