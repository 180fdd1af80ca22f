#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libsimpleini-dev libedit-dev
          libmuparser-dev qt6-base-dev qt6-translations-l10n fonts-liberation)
# clang with libFuzzer for the fuzz targets.
packages+=(clang libclang-rt-14-dev)
# The Debian package (cpack's dependencies through dpkg-shlibdeps) and the tests of what it
# ships: lintian, the manual pages, the desktop entry and metadata, the completion.
packages+=(dpkg-dev file lintian groff-base man-db desktop-file-utils appstream bash-completion zsh)
# python3 drives the console program on a pseudo-terminal in the tests.
packages+=(python3-minimal)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
