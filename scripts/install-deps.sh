#!/usr/bin/env bash
# Installs, from Debian's packages, everything needed to build, test and run Quillory.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
  qt6-translations-l10n qt6-qpa-plugins
  fonts-arphic-uming fonts-arphic-ukai fonts-dejavu-core
  sqlite3 libsqlite3-dev
  xvfb xauth openbox imagemagick x11-utils
  qt6-charts-dev libqt6opengl6-dev
  # style and lint checks of the sources (scripts/format.sh, scripts/lint.sh)
  clang-format clang-tidy
  # tests only: reads back the Access files that the tests write
  mdbtools
  # tests only: reads back the text, fonts and pages of the PDF files that the tests write
  poppler-utils
  # tests only: check the package (tests/install/package_test.sh) and its metainfo, and render
  # its manual pages
  lintian appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
