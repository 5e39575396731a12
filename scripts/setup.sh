#!/usr/bin/env bash
# Installs the Debian packages Frameloom needs to build, test and run.
# This is the one place that knows the list. Fast when everything is present.
# Installed without Recommends, so everything used at run time is named here:
# libwmf draws metafile text with fonts-urw-base35, the "Impact" stand-in is
# DejaVu Sans Condensed (fonts-dejavu-extra), the tests make a second user with
# useradd (passwd), the window-title test lists windows with xwininfo
# (x11-utils) while the program draws its pointers from adwaita-icon-theme
# through libxcursor1, and scripts/check_packages.sh runs them under strace and
# names the packages of files they looked for in vain with apt-file; it proves
# the list complete.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++
    qt6-base-dev qt6-svg-dev
    zlib1g-dev libjpeg62-turbo-dev libpng-dev
    libemf2svg-dev libwmf-dev
    libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
    clang libclang-rt-14-dev clang-format
    fonts-dejavu-core fonts-dejavu-extra xvfb xauth
    fonts-urw-base35
    gifsicle imagemagick giflib-tools
    strace apt-file passwd locales x11-utils adwaita-icon-theme libxcursor1
)

# --list: print the list, one package a line (scripts/check_packages.sh reads it).
if [ "${1:-}" = "--list" ]; then
    printf '%s\n' "${PACKAGES[@]}"
    exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run as root:  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
