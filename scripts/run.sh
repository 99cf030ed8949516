#!/usr/bin/env bash
# Sets up, builds and starts Cogbook. Arguments go to the program; without
# any it shows the shipped sample record.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build/release --target cogbook
if [ $# -eq 0 ]; then
  exec build/release/src/app/cogbook print resources/sample.cogbook
fi
exec build/release/src/app/cogbook "$@"
