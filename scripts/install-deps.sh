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
  libexpat1-dev translate-toolkit
  xvfb xauth
)
if [ "${1:-}" = "--windows" ]; then
  # MinGW-w64 GCC, Wine to run what it builds, GoogleTest's sources, and dpkg-dev to unpack
  # expat's source package.
  packages=(
    cmake ninja-build googletest dpkg-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
  )
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y "${missing[@]}"
