# Sourced: starts a private Xvfb unless one is given in RADIO_DISPLAY, exports
# DISPLAY, and stops the server (and the build's wineserver) on exit.
radio_xvfb_pid=
if [ -n "${RADIO_DISPLAY:-}" ]; then
  export DISPLAY="$RADIO_DISPLAY"
else
  exec {radio_fd}< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset 2>/dev/null & echo "pid $!")
  read -r _ radio_xvfb_pid <&"$radio_fd"
  read -r radio_display <&"$radio_fd"
  export DISPLAY=":$radio_display"
fi
radio_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  [ -n "$radio_xvfb_pid" ] && kill "$radio_xvfb_pid" 2>/dev/null || true
}
trap radio_cleanup EXIT
