#!/usr/bin/env bash
# Builds libjpeg-turbo from Debian's source package (the same one the Windows build
# uses) with the fuzzers' coverage instrumentation and AddressSanitizer, so that the
# JPEG target sees inside the decoder. Plain C code (no SIMD): every decoding path is
# visible. Installs a static library with the v62 API into .cache/libjpeg-fuzz; a
# finished install is reused while its flags and libjpeg-fuzz-pixels.cmake are unchanged.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
prefix="$cache/libjpeg-fuzz"
stamp="$prefix/.complete"
flags="-O1 -gline-tables-only -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address"
pixels="$root/scripts/libjpeg-fuzz-pixels.cmake"
recipe="$flags $(sha1sum <"$pixels")"
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && exit 0

. "$root/scripts/libjpeg-source.sh"
libjpeg_source "$cache" libjpeg-fuzz

build="$cache/libjpeg-fuzz-build"
rm -rf "$build" "$prefix"
echo "libjpeg-fuzz: building $(basename "$srcdir") instrumented for fuzzing"
cmake -S "$srcdir" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$flags" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
  -DCMAKE_PROJECT_libjpeg-turbo_INCLUDE="$pixels" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
  -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
  >"$build.log" 2>&1 || {
  tail -n 40 "$build.log"
  exit 1
}
# The library alone: the command-line programs are not needed here.
ninja -C "$build" -j2 jpeg-static >>"$build.log" 2>&1 || {
  tail -n 40 "$build.log"
  exit 1
}
mkdir -p "$prefix/lib" "$prefix/include"
cp "$build/libjpeg.a" "$prefix/lib/"
cp "$build/jconfig.h" "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" \
  "$prefix/include/"
rm -rf "$build"
echo "$recipe" >"$stamp"
echo "libjpeg-fuzz: installed into $prefix"
