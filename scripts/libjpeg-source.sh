# Sourced by the scripts that build libjpeg-turbo from Debian's source package.
# libjpeg_source <cache> <label>: unpacks the source package into <cache>/src once and
# sets $srcdir to its folder.
libjpeg_source() {
  local src="$1/src"
  mkdir -p "$src"
  if ! ls -d "$src"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    echo "$2: fetching the libjpeg-turbo source package"
    (cd "$src" && { apt-get source -qq libjpeg-turbo >/dev/null 2>&1 || apt-get source libjpeg-turbo; })
  fi
  srcdir=$(ls -d "$src"/libjpeg-turbo-*/ | head -n1)
  srcdir=${srcdir%/}
}
