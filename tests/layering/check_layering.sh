#!/usr/bin/env bash
# Fails when a folder includes a header from a folder above it, naming file and line.
#   check_layering.sh <source root>
# Product folders, lowest first; each may include only itself and the folders before it.
# tools, tests, bench and fuzz sit above every product folder and may include anything.
# Folders are found by name, so new files and new folders in this order are checked
# without changing this script.
set -uo pipefail

root=${1:?usage: check_layering.sh <source root>}
cd "$root" || exit 2

layers=(platform runtime classes graphics controls forms launcher)
free=(tools tests bench fuzz)
declare -A rank=()
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
for folder in "${free[@]}"; do rank[$folder]=${#layers[@]}; done

present=()
for folder in "${layers[@]}" "${free[@]}"; do
  [ -d "$folder" ] && present+=("$folder")
done

# Sets "to" to the folder an include lands in: a path that exists beside the including
# file is resolved from there (as the compiler does first); any other is from the root.
target_folder() {
  local path=$2 dir=${1%/*} resolved=$2
  if [[ $path == ./* || $path == ../* ]]; then
    resolved=$(realpath -m --relative-to=. "$dir/$path")
  elif [ -e "$dir/$path" ]; then
    resolved=$dir/$path
  fi
  to=${resolved%%/*}
}

violations=0
includes=0
while IFS= read -r match; do
  file=${match%%:*}
  rest=${match#*:}
  line=${rest%%:*}
  text=${rest#*:}
  [[ $text =~ include[[:space:]]*[\"\<]([^\"\>]+)[\"\>] ]] || continue
  path=${BASH_REMATCH[1]}
  includes=$((includes + 1))
  from=${file%%/*}
  target_folder "$file" "$path"
  [ -n "${rank[$to]+set}" ] || continue # a system or third-party header
  if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
    echo "$file:$line: $from includes \"$path\" from $to, a folder above it"
    violations=$((violations + 1))
  fi
done < <(find "${present[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.inc' \
  -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) -print0 | sort -z |
  xargs -0 grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' /dev/null)

if [ "$violations" -gt 0 ]; then
  echo "layering: $violations include(s) point up; order, lowest first: ${layers[*]}"
  echo "(a lower folder that must call up declares a narrow interface the upper one installs)"
  exit 1
fi
echo "layering: $includes includes in ${present[*]} point down only"
