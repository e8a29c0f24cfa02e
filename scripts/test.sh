#!/usr/bin/env bash
# Runs every check of the project on a fresh Debian 12 machine: installs what is missing, checks the
# formatting, builds both shells with warnings as errors, runs all tests, then builds the logic layer
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests again.
#
#   ./scripts/test.sh              everything
#   ./scripts/test.sh -R Settings  only the tests whose name matches (passed to ctest)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc)
echo "== format check"
./scripts/format.sh --check

echo "== build (warnings are errors)"
cmake -S . -B build -G Ninja -DTN_WERROR=ON >/dev/null
cmake --build build -j"$jobs"

echo "== tests"
# Each test process starts its own X server where it needs one, so none is started here.
ctest --test-dir build -j"$jobs" --output-on-failure --timeout 300 "$@"

if [ $# -eq 0 ]; then
  echo "== logic tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build-asan -G Ninja -DTN_LOGIC_ONLY=ON -DTN_SANITIZE=ON -DTN_WERROR=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan -j"$jobs"
  ctest --test-dir build-asan -j"$jobs" --output-on-failure --timeout 300
fi
