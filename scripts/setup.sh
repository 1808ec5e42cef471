#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Idempotent: a second run only checks and returns.
set -euo pipefail

# The stamp names this script's own contents, so adding a package re-runs the install.
stamp=/var/lib/launcher-setup.$(sha256sum "$0" | cut -c1-16)
[ -f "$stamp" ] && exit 0

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

# Source packages (libjpeg-turbo is cross-built for Windows from Debian's source).
# The deb-src entries mirror the binary ones already configured, so no host is named here.
if [ -f /etc/apt/sources.list.d/debian.sources ] && [ ! -f /etc/apt/sources.list.d/launcher-src.sources ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $SUDO tee /etc/apt/sources.list.d/launcher-src.sources >/dev/null
elif [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
  grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee -a /etc/apt/sources.list >/dev/null
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

export DEBIAN_FRONTEND=noninteractive
# The archive's mirrors are now and then caught mid-sync (an index of the wrong size):
# that usually passes within minutes, so the update is tried again. Should an index of the
# security suite stay missing for one architecture, its packages would be newer than their
# twins of the other (i386 and amd64 libraries must match): the install then takes every
# package from the main suites alone, where both architectures agree.
pin=/etc/apt/preferences.d/launcher-setup-main-only
trap '$SUDO rm -f "$pin"' EXIT
updated=0
for attempt in 1 2 3 4; do
  if $SUDO apt-get update -qq; then
    updated=1
    break
  fi
  echo "setup: the package indexes did not all download (attempt $attempt)" >&2
  sleep $((attempt * 10))
done
if [ "$updated" = 0 ]; then
  echo "setup: installing from the main suites only" >&2
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' | $SUDO tee "$pin" >/dev/null
fi
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build pkg-config git \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  libjpeg62-turbo-dev libjpeg-turbo-progs \
  libfreetype-dev libfontconfig-dev libpixman-1-dev libx11-dev libxext-dev libxfixes-dev libpng-dev \
  fonts-wine fontconfig \
  xvfb xdotool x11-apps x11-utils imagemagick strace \
  clang libclang-rt-14-dev llvm clang-format clang-tidy \
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev \
  nasm dpkg-dev devscripts fakeroot file lintian desktop-file-utils appstream \
  wine wine32:i386 >/dev/null

$SUDO touch "$stamp"
