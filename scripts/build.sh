#!/usr/bin/env bash
# Configures and builds trelvista.exe, the tests and the benchmarks into build/.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRELVISTA_BUILD_DIR:-$top/build}"
# A compiler cache, where the machine has one, lets several checkouts of the tree share what
# they compiled: paths under the checkout are hashed relative to it.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}"
fi
cmake --build "$build"
