#!/usr/bin/env bash
# Installs what building and testing need on a Debian/Ubuntu machine; skips what is already there.
set -euo pipefail

need=()
want() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' || need+=("$1"); }

for p in cmake ninja-build g++ g++-mingw-w64-x86-64-posix libgtest-dev libbenchmark-dev \
         wine wine64 fonts-wine xvfb x11-apps x11-utils imagemagick fonts-wqy-microhei locales clang python3; do
  want "$p"
done

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "installing: ${need[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The end-to-end tests run the program under a Chinese and an English locale; a unit test checks
# number texts under a locale whose decimal point is a comma.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' || ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  for l in zh_CN en_US de_DE; do
    grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen || echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
  done
  $SUDO locale-gen >/dev/null
fi
