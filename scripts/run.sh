#!/usr/bin/env bash
# Sets up, builds and starts Cogbook. Arguments go to the program: record
# files to open, or a command word for the command-line forms. Without any it
# starts with a new bike from the default template.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build/release --target cogbook
exec build/release/src/app/cogbook "$@"
