#!/usr/bin/env bash
# Checks the C++ sources: clang-format in check mode over every tracked C++ file, then
# clang-tidy (checks in .clang-tidy) over each of our files in the native tree's compile
# database. A file whose clang-tidy run was clean is remembered under .cache/lint/ by a
# hash of everything its result depends on (the file and every header it includes, its
# compile command, the configuration and the tool), so a rerun checks only what changed.
#   scripts/lint.sh            (LAUNCHER_BUILD chooses the native tree, default build)
# `make format` rewrites the files in place instead of checking them.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build="$root/${LAUNCHER_BUILD:-build}"
cache="$root/.cache/lint"
mkdir -p "$cache"

# --- format
mapfile -d '' sources < <(git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' '*.inc')
format_failed=0
if ! clang-format --dry-run --Werror "${sources[@]}" 2>"$cache/format.log"; then
  grep -E '^[^ ].*: error:' "$cache/format.log" | cut -d: -f1 | sort -u |
    sed 's/^/not formatted: /'
  echo "(run 'make format' to rewrite them)"
  format_failed=1
fi
echo "clang-format: ${#sources[@]} files checked"

# --- clang-tidy over the compile database
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DLAUNCHER_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
    -DLAUNCHER_BENCH=ON >/dev/null || exit 1
fi
# file<TAB>command for each of our tracked files in the database (CMake writes one
# "command" line before each "file" line), once per file even where two targets compile
# it; clang-tidy reads them from a database of just those entries.
declare -A tracked=() seen=()
for f in "${sources[@]}"; do tracked["$root/$f"]=1; done
entries="$cache/entries.tsv"
database="$cache/db"
mkdir -p "$database"
: >"$entries"
{
  echo "["
  separator=""
  while IFS=$'\t' read -r file command; do
    [ -n "${tracked[$file]+set}" ] && [ -z "${seen[$file]+set}" ] || continue
    seen[$file]=1
    printf '%s\t%s\n' "$file" "$command" >>"$entries"
    printf '%s{"directory": "%s", "command": "%s", "file": "%s"}\n' "$separator" "$build" \
      "$command" "$file"
    separator=","
  done < <(sed -n -e 's/^  "command": "\(.*\)",$/\1/p' -e 's/^  "file": "\(.*\)",\?$/\t\1/p' \
    "$build/compile_commands.json" | paste -d '' - - | awk -F'\t' '{print $2 "\t" $1}')
  echo "]"
} >"$database/compile_commands.json"

tool_key=$( (clang-tidy --version
  cat .clang-tidy tests/.clang-tidy bench/.clang-tidy fuzz/.clang-tidy) | sha256sum | cut -c1-64)
export build cache database tool_key

# lint_one <file> <command>: prints findings and fails, or passes (from the cache or
# after a clean run, which is then cached).
lint_one() {
  local file=$1 command=$2 deps key="" out
  # JSON string to shell words; the object file is left alone.
  command=$(sed -E -e 's/\\\\/\x01/g' -e 's/\\"/"/g' -e 's/\x01/\\/g' -e 's/^[^ ]*ccache //' \
    -e 's/ -o [^ ]+ / -o \/dev\/null /' <<<"$command")
  # The headers it includes, from the compiler itself. Without them nothing is cached.
  if deps=$(cd "$build" && eval "$command -MM -MF /dev/stdout" 2>/dev/null); then
    key=$( (echo "$tool_key $command"
      tr ' \\' '\n\n' <<<"$deps" | grep -v -e ':$' -e '^$' | sort -u |
        xargs -d '\n' sha256sum) | sha256sum | cut -c1-64)
    [ -f "$cache/$key" ] && return 0
  fi
  if out=$(clang-tidy -p "$database" --quiet --extra-arg=-Wno-unknown-warning-option "$file" 2>&1); then
    [ -z "$key" ] || touch "$cache/$key"
  else
    # Drop the "N warnings generated" counts; keep the findings.
    grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' <<<"$out"
    return 1
  fi
}
export -f lint_one

count=$(wc -l <"$entries")
start=$(date +%s)
tidy_failed=0
tr '\t' '\0' <"$entries" | tr '\n' '\0' |
  xargs -0 -n2 -P2 bash -c 'lint_one "$1" "$2"' _ || tidy_failed=1
echo "clang-tidy: $count files in $(($(date +%s) - start)) s"

if [ "$format_failed" -ne 0 ] || [ "$tidy_failed" -ne 0 ]; then
  echo "summary: lint findings (clang-format $([ $format_failed -eq 0 ] && echo clean || echo FAILED)," \
    "clang-tidy $([ $tidy_failed -eq 0 ] && echo clean || echo FAILED))"
  exit 1
fi
echo "summary: ${#sources[@]} files formatted, $count files clean under clang-tidy"
