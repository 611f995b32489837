#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, and any packages named on the
# command line, when any of them is missing.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev pkg-config python3
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev libxlsxwriter-dev python3-openpyxl "$@")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends \
    "${missing[@]}"
fi
