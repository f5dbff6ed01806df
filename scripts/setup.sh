#!/usr/bin/env bash
# Installs everything the build, the run and the tests need, from Debian's
# packages only. Quick when all is already there.
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
  googletest
  wine wine32:i386
  xvfb xdotool x11-utils imagemagick
  fonts-wine fonts-wqy-microhei
  locales
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine needs a real zh_CN.UTF-8 locale to create files with Chinese names.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  fi
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
