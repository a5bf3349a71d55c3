#!/usr/bin/env bash
# Sets up what is missing, builds trelvista.exe for release in build-release/ (the program and
# its installer, no tests) and writes into dist/ the zip (trelvista.exe, README.md, LICENSE)
# and the installer, both named after the project's version.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRELVISTA_RELEASE_DIR:-$top/build-release}"
dist="$top/dist"

"$top/scripts/setup.sh"

# Configured every time, so that a wixl installed after the first run is found.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRELVISTA_BUILD_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" >/dev/null
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
if [ -z "$version" ]; then echo "No project version in $build/CMakeCache.txt" >&2; exit 1; fi
cmake --build "$build" --target trelvista trelvista_msi

name="trelvista-$version-win64"
stage="$build/packaging/stage"
mkdir -p "$dist"
rm -f "$dist/$name.zip" "$dist/$name.msi"
# -j: the files at the top of the archive; -X: no Unix owners or extra times.
zip -q -j -X "$dist/$name.zip" "$stage/trelvista.exe" "$stage/README.md" "$stage/LICENSE"
cp "$build/dist/$name.msi" "$dist/$name.msi"

echo "Trelvista $version:"
ls -l "$dist/$name.zip" "$dist/$name.msi"
