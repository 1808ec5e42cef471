#!/usr/bin/env bash
# Runs a command on an X server of its own: Xvfb on a display number it picks itself
# (-displayfd), ended when the command ends, so the command shares no screen or pointer with
# anything else. -noreset: Xvfb otherwise resets, refusing connections meanwhile, whenever its
# last client leaves. Exit status: the command's; 1 also when no server could be started.
# Usage: with_private_xvfb.sh COMMAND [ARGS...]
set -u
[ $# -ge 1 ] || { echo "usage: $0 COMMAND [ARGS...]" >&2; exit 2; }

fifo_dir=$(mktemp -d) || exit 1
fifo="$fifo_dir/display"
mkfifo "$fifo" || exit 1
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$fifo" 2>/dev/null &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$fifo_dir"
}
trap stop EXIT
trap 'exit 143' TERM INT

# The server writes its display number once it accepts connections; an early exit of the
# server closes the pipe, so the read ends either way (or after 30 s).
number=""
read -r -t 30 number <"$fifo"
if [ -z "$number" ]; then
  echo "$0: Xvfb did not start" >&2
  exit 1
fi
# The command is to use this server, not the headless driver a caller's environment may ask.
unset LAUNCHER_DISPLAY
DISPLAY=":$number" "$@"
