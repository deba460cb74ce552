#!/usr/bin/env bash
# Cross-builds the Windows programs here with MinGW-w64 (Release, in build-windows/) and packs
# build-windows/korrin-patcher-<version>-win64.zip: the programs, the sample definitions and a
# short text for Windows users. Installs what is missing first.
#   scripts/build-windows.sh [BUILD_DIR [CMAKE_ARGUMENTS...]]
set -euo pipefail
cd "$(dirname "$0")/.."

"$(pwd)/scripts/install-deps.sh" --windows

build=${1:-build-windows}
shift $(($# > 0 ? 1 : 0))
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@"
cmake --build "$build" --parallel "$(nproc)"

# What goes into the zip beside the samples; the native window joins as korrin-patcher.exe.
programs=(
  korrin-patch.exe
  korrin-patcher.exe
)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=korrin-patcher-$version-win64
stage=$build/package/$name
rm -rf "$build/package" "$build/$name.zip"
mkdir -p "$stage"
for program in "${programs[@]}"; do cp "$build/$program" "$stage/"; done
cp samples/*.pat "$stage/"
# Notepad and every Windows editor read CR LF.
sed 's/$/\r/' docs/windows.txt >"$stage/README.txt"
(cd "$build/package" && cmake -E tar cf "../$name.zip" --format=zip "$name")
echo "$build/$name.zip"
