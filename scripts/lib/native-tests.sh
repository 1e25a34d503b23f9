#!/usr/bin/env bash
# Builds the pure rules and their tests with the host's compiler and sanitizers, and
# runs them. Usage: native-tests.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native_dir=$(mkdir -p "$1" && cd "$1" && pwd)
if [[ ! -f "$native_dir/CMakeCache.txt" ]]; then
  cmake -S "$root/tests/native" -B "$native_dir" -DCMAKE_BUILD_TYPE=Debug >"$native_dir/configure.log" 2>&1 \
    || { cat "$native_dir/configure.log"; exit 1; }
fi
if ! cmake --build "$native_dir" -j2 >"$native_dir/build.log" 2>&1; then
  grep -E -A3 'error' "$native_dir/build.log" | head -n 60
  echo "native build failed, see $native_dir/build.log" >&2
  exit 1
fi
cd "$native_dir"
ctest -j2 --output-on-failure >"$native_dir/ctest.log" 2>&1 || { cat "$native_dir/ctest.log"; exit 1; }
grep -E 'tests passed' "$native_dir/ctest.log" | sed 's/^/native pure rules: /'
