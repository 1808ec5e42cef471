#!/usr/bin/env bash
# Builds every fuzz/*_fuzz.cpp with clang (libFuzzer, ASan, UBSan) and runs each over its
# corpus, fuzz/corpus/<name>/, sharing a time budget (FUZZ_SECONDS, default 60). New inputs
# go to build-fuzz/corpus/, never into the committed corpus. Any crash fails the run.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
budget=${FUZZ_SECONDS:-60}
build=${LAUNCHER_FUZZ_BUILD:-$root/build-fuzz}

shopt -s nullglob
sources=("$root"/fuzz/*_fuzz.cpp)
if [ ${#sources[@]} -eq 0 ]; then
  echo "summary: no fuzz targets yet, skipped"
  exit 0
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DLAUNCHER_FUZZ=ON >/dev/null || exit 1
ninja -C "$build" -j2 fuzz_all || exit 1

per=$((budget / ${#sources[@]}))
[ "$per" -ge 5 ] || per=5
crashed=()
for source in "${sources[@]}"; do
  name=$(basename "$source" .cpp)
  work="$build/corpus/$name"
  artifacts="$build/artifacts"
  mkdir -p "$work" "$artifacts"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "--- $name: ${per} s"
  if ! "$build/fuzz/$name" -max_total_time="$per" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$work" "${seeds[@]}" \
      2>"$build/$name.log"; then
    tail -n 60 "$build/$name.log"
    crashed+=("$name")
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$build/$name.log" | tail -n1
  fi
done

if [ ${#crashed[@]} -eq 0 ]; then
  echo "summary: ${#sources[@]} targets, ${per} s each, no crashes"
else
  echo "summary: crashes in ${crashed[*]} (inputs in ${artifacts#"$root"/})"
  exit 1
fi
