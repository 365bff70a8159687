#!/usr/bin/env bash
# The whole test suite: installs what is needed, builds the native, sanitizer and Windows
# builds with warnings as errors, and runs every CTest test of each (the Windows build under
# Wine). Exits non-zero when any build or test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup.sh || { echo "test: setup failed"; exit 1; }

export WINEDEBUG=-all
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LANGUAGE LC_MESSAGES || true
jobs=$(nproc)

failed=()
build() {
  local preset=$1
  cmake --preset "$preset" -DQZ_WERROR=ON >/dev/null &&
    cmake --build --preset "$preset" -j"$jobs"
}

for preset in native asan windows; do
  echo "=== build $preset"
  build "$preset" || failed+=("build:$preset")
done

# One Wine server for the whole run, warmed up once, so that each Windows test process starts
# in a fraction of a second instead of seconds.
wineserver -p 2>/dev/null || true
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' EXIT

run_tests() {
  local preset=$1
  echo "=== test $preset"
  ctest --preset "$preset" -j"$jobs" --timeout 600 || failed+=("test:$preset")
}
for preset in native asan windows; do
  [ -d "build/$preset" ] && run_tests "$preset"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all builds and tests passed"
