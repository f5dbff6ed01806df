# Sourced: the environment every Wine run of the build and the tests uses.
# $1 is the state folder (one per build directory); it holds the private
# WINEARCH=win32 prefix and the HOME that the prefix's desktop links to.
radio_state=$(realpath -m "${1:?state folder}")
mkdir -p "$radio_state/home"
export WINEPREFIX="$radio_state/prefix"
export HOME="$radio_state/home"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono dialog; no Linux .desktop files made from links on the desktop.
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d${RADIO_EXTRA_DLLOVERRIDES:+;$RADIO_EXTRA_DLLOVERRIDES}"
# Code page 936 for the program's texts and its Chinese file names.
export LC_ALL=zh_CN.UTF-8
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY 2>/dev/null || true
[ -n "${RADIO_HTTP_PROXY:-}" ] && export http_proxy="$RADIO_HTTP_PROXY"

if [ ! -f "$WINEPREFIX/.radio-ready" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.radio-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.radio-ready"
    fi
  ) 9>"$radio_state/.lock"
fi
