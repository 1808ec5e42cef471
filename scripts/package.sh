#!/usr/bin/env bash
# make package: the Debian package from the native tree and the Windows .zip from the
# cross tree (built as scripts/test.sh's windows stage builds it), both into dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${LAUNCHER_BUILD:-build}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
command -v ccache >/dev/null || unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
mkdir -p dist

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 launcher install_files host_tools
(cd "$build" && cpack -G DEB -B "$root/dist/cpack-deb" >/dev/null)

scripts/build-libjpeg-win32.sh
cmake -S . -B "$build-win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DLIBJPEG_WIN32_ROOT="$root/.cache/libjpeg-win32" \
  -DLAUNCHER_HOST_TOOLS="$root/$build/tools" >/dev/null
ninja -C "$build-win" -j2 launcher
(cd "$build-win" && cpack -G ZIP -B "$root/dist/cpack-zip" >/dev/null)

mv dist/cpack-deb/*.deb dist/cpack-zip/*.zip dist/
rm -rf dist/cpack-deb dist/cpack-zip
ls -l dist
