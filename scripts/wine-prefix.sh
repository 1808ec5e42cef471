# Sourced by the scripts that run our Windows programs under Wine.
# prepare_wine_prefix [unmanaged]: makes $WINEPREFIX (32-bit) once and keeps it usable:
# - this Wine finds its own faces only in the prefix's font folder, not where Debian's
#   fonts-wine installs them; linked there, "Tahoma" is Tahoma rather than a fallback;
# - "unmanaged" is for test displays with no window manager: Wine's windows are then its
#   own to place, instead of every hide of a captioned window waiting two seconds for a
#   window manager that never answers.
prepare_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "Wine prefix creation failed"; return 1; }
    touch "$WINEPREFIX/.ready"
  fi
  local face
  for face in /usr/share/wine/fonts/*.ttf; do
    [ -e "$face" ] && ln -sf "$face" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  if [ "${1:-}" = unmanaged ] && ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
}
