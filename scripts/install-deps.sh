#!/usr/bin/env bash
# Installs the Debian 12 packages Parlix needs to build, test and run. Skips apt when all of
# them are there already. Needs root (or sudo). With --windows it installs instead what the
# Windows cross build needs (scripts/windows-cross.sh).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-core fonts-liberation2
  adwaita-icon-theme
  fp-compiler fp-units-rtl
  lazarus-src-2.2
  libexpat1-dev translate-toolkit libxml2-utils
  xvfb xauth openbox imagemagick
)
# The Lazarus component library, to compile a generated unit into a Lazarus program (the GTK 2
# widgets for the Lazarus example, which runs on a virtual display); without what it
# recommends (the whole Lazarus IDE).
without_recommends=(lcl-units-2.2 lcl-nogui-2.2 lcl-gtk2-2.2)
if [ "${1:-}" = "--windows" ]; then
  # MinGW-w64 GCC, Wine to run what it builds, GoogleTest's sources, and dpkg-dev to unpack
  # expat's source package.
  packages=(
    cmake ninja-build googletest dpkg-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
  )
  without_recommends=()
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
missing_lean=()
for package in "${without_recommends[@]}"; do
  installed "$package" || missing_lean+=("$package")
done
if [ ${#missing[@]} -eq 0 ] && [ ${#missing_lean[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]} ${missing_lean[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get install -y "${missing[@]}"
fi
if [ ${#missing_lean[@]} -gt 0 ]; then
  $sudo apt-get install -y --no-install-recommends "${missing_lean[@]}"
fi
