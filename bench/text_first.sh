#!/bin/sh
# Medians over fresh processes of `text_bench first`: the text layer's start-up cost (elapsed
# and processor time of the first font creation, selection and DrawTextA) and the resident
# memory it adds.
#
#   bench/text_first.sh [runs] [text_bench]     defaults: 15, build/bench/text_bench
set -eu
runs=${1:-15}
bench=${2:-build/bench/text_bench}
[ -x "$bench" ] || { echo "no $bench: build the text_bench target" >&2; exit 1; }
out=$(for _ in $(seq "$runs"); do "$bench" first; done)
median() {
  sort -n | awk '{v[NR] = $1} END {printf "%s (min %s, max %s)", v[int((NR + 1) / 2)], v[1], v[NR]}'
}
field() { echo "$out" | sed -n "s/$1/\\1/p" | median; }
echo "$runs fresh processes, median:"
echo "  first use, elapsed us:   $(field '.*DrawTextA: \([0-9.]*\) us.*')"
echo "  first use, processor us: $(field '.*(cpu \([0-9.]*\) us).*')"
echo "  resident memory added KiB: $(field '.*(+\([0-9]*\)).*')"
echo "  VmHWM after it KiB:      $(field '.*VmHWM \([0-9]*\) KiB.*')"
