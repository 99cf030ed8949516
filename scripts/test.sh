#!/usr/bin/env bash
# Sets up, builds and runs every test: once under AddressSanitizer and
# UndefinedBehaviorSanitizer, once as shipped. Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export CTEST_OUTPUT_ON_FAILURE=1
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCOGBOOK_WERROR=ON -DCOGBOOK_SANITIZE=ON -DCOGBOOK_BUILD_BENCH=OFF
cmake --build build/asan
ctest --test-dir build/asan -j "$(nproc)"

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOGBOOK_WERROR=ON
cmake --build build/release
ctest --test-dir build/release -j "$(nproc)"
