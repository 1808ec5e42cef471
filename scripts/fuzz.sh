#!/usr/bin/env bash
# Builds every fuzz/*_fuzz.cpp with clang (libFuzzer, ASan, UBSan; -O1 with line tables,
# libjpeg-turbo instrumented too) and runs each over its corpus, fuzz/corpus/<name>/,
# sharing a time budget (FUZZ_SECONDS, default 60). fuzz/<name>.options adds libFuzzer
# flags (one line), fuzz/<name>.dict is passed as its dictionary. New inputs go to
# build-fuzz/corpus/, never into the committed corpus. Any crash fails the run; the
# crashing input belongs in fuzz/regressions/<name>/ under a telling name.
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

"$root/scripts/build-libjpeg-fuzz.sh" || exit 1
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Fuzz \
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
  options=()
  [ -f "$root/fuzz/$name.options" ] && read -r -a options <"$root/fuzz/$name.options"
  [ -f "$root/fuzz/$name.dict" ] && options+=("-dict=$root/fuzz/$name.dict")
  echo "--- $name: ${per} s ${options[*]}"
  if ! "$build/fuzz/$name" -max_total_time="$per" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "${options[@]}" "$work" \
      "${seeds[@]}" 2>"$build/$name.log"; then
    tail -n 60 "$build/$name.log"
    crashed+=("$name")
  else
    # Speed and the coverage reached (edges, features) at the end of the run.
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$build/$name.log")
    cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$build/$name.log" | tail -n1)
    echo "$name: $runs runs, $speed exec/s, $cov"
  fi
done

if [ ${#crashed[@]} -eq 0 ]; then
  echo "summary: ${#sources[@]} targets, ${per} s each, no crashes"
else
  echo "summary: crashes in ${crashed[*]} (inputs in ${artifacts#"$root"/})"
  exit 1
fi
