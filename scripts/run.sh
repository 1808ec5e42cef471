#!/usr/bin/env bash
# Builds the launcher natively (build/) and starts it from the repository root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if ! ninja -C build -t targets all | grep -q '^launcher:'; then
  echo "The launcher does not exist yet: there is no launcher target in this build."
  exit 0
fi
ninja -C build -j2 launcher
exec build/launcher/launcher
