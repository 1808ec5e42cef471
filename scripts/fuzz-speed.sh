#!/usr/bin/env bash
# Measures one fuzz target of an existing fuzz build (scripts/fuzz.sh builds it) two ways,
# so that a busy machine does not hide or fake a change:
#   wall:  libFuzzer's average exec/s and the coverage reached in SECONDS of fuzzing;
#   cpu:   a fixed number of runs (RUNS) with -seed=1, divided by user+sys CPU seconds.
# Both start from the committed seed corpus with the target's .options and dictionary.
# Usage: scripts/fuzz-speed.sh <name>_fuzz [SECONDS] [RUNS] [extra libFuzzer flags...]
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${LAUNCHER_FUZZ_BUILD:-$root/build-fuzz}
name=$1
seconds=${2:-30}
runs=${3:-20000}
shift $(($# < 3 ? $# : 3))
options=()
[ -f "$root/fuzz/$name.options" ] && read -r -a options <"$root/fuzz/$name.options"
[ -f "$root/fuzz/$name.dict" ] && options+=("-dict=$root/fuzz/$name.dict")
options+=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fuzz() {
  rm -rf "$work/corpus" && mkdir -p "$work/corpus"
  /usr/bin/time -v -o "$work/time" "$build/fuzz/$name" -seed=1 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" "${options[@]}" "$@" "$work/corpus" \
    "$root/fuzz/corpus/$name" 2>"$work/log"
}

# Sets runs, cpu (user+sys seconds), per_cpu and rss from the last run.
account() {
  local user sys
  user=$(sed -n 's/.*User time (seconds): *//p' "$work/time")
  sys=$(sed -n 's/.*System time (seconds): *//p' "$work/time")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): *//p' "$work/time")
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  cpu="${user}+${sys}"
  per_cpu=$(awk -v n="$done_runs" -v u="$user" -v s="$sys" 'BEGIN { printf "%.0f", n / (u + s) }')
}

fuzz -max_total_time="$seconds"
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/log" | tail -n1)
account
timed="${done_runs} runs, ${per_cpu} exec/cpu-s"
fuzz -runs="$runs"
account
echo "$name ${options[*]}: wall ${speed} exec/s, ${cov} in ${seconds} s (${timed});" \
  "fixed ${done_runs} runs in ${cpu} cpu-s = ${per_cpu} exec/cpu-s, max rss ${rss} kB"
