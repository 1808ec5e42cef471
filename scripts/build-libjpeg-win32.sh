#!/usr/bin/env bash
# Cross-builds libjpeg-turbo for 32-bit Windows from Debian's source package: a static
# library with the SIMD code, the v62 API, plus djpeg.exe (the graphics tests compare our
# decoding with it). Installs into .cache/libjpeg-win32; a finished install is reused as
# long as it was made by this version of the script (the stamp holds the script's hash).
# Each function and table in a section of its own, so the launcher's link drops what it
# never calls: the compressor's SIMD routines and tables, which jsimd.c names beside the
# decompressor's. Without unwind tables: the Windows linker keeps every function that has
# one, and no C++ exception passes through the library (its errors leave by longjmp).
# Its few sprintf and sscanf calls (messages, the JPEGMEM setting) go to the system's C
# library rather than pulling mingw's own formatted I/O and number parsing into the program.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
prefix="$cache/libjpeg-win32"
stamp="$prefix/.complete"
version=$(sha256sum "$0" | cut -c1-16)
[ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0

. "$root/scripts/libjpeg-source.sh"
libjpeg_source "$cache" libjpeg-win32

build="$cache/libjpeg-win32-build"
rm -rf "$build" "$prefix"
echo "libjpeg-win32: building $(basename "$srcdir") for i686-w64-mingw32"
cmake -S "$srcdir" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -fno-unwind-tables -D__USE_MINGW_ANSI_STDIO=0" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_ASM_NASM_COMPILER=nasm \
  -DCMAKE_EXE_LINKER_FLAGS="-static" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF >"$build.log" 2>&1 || {
  tail -n 40 "$build.log"
  exit 1
}
ninja -C "$build" -j2 install >>"$build.log" 2>&1 || {
  tail -n 40 "$build.log"
  exit 1
}
if [ ! -f "$prefix/bin/djpeg.exe" ]; then
  echo "libjpeg-win32: djpeg.exe was not installed" >&2
  exit 1
fi
rm -rf "$build"
echo "$version" >"$stamp"
echo "libjpeg-win32: installed into $prefix"
