#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test, benchmark and run.
# Idempotent: when everything is present it prints nothing and touches nothing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins
  libgl-dev
  libsqlite3-dev sqlite3
  libjpeg62-turbo-dev
  pxlib-dev
  libuemf-dev
  libcups2-dev
  fonts-liberation2 fontconfig
  libgtest-dev libgmock-dev googletest
  libbenchmark-dev
  poppler-utils zbar-tools
  xvfb x11-apps imagemagick xdotool
  libwmf-bin emf2svg
  fonts-urw-base35   # the font folder libwmf reads when wmf2svg checks our WMF files
  qpdf zint unrtf tidy recode
  cups-daemon cups-client cups-bsd
  qt6-translations-l10n
  desktop-file-utils appstream lintian dpkg-dev fakeroot file
  graphviz ccache
  lld   # the linker the build takes when installed (clang, above, the compiler)
  calculix-ccx libxml2-utils jq   # the solver, xmllint and jq that check the exports for calculations
  libxlsxwriter-dev python3-openpyxl   # spreadsheets written, and read back by the tests
  chromium   # renders an HTML export page as a reader sees it
  postgresql-15 libpq-dev   # the server engine; tests start their own server, no system cluster
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
# postgresql-15 would create and start a system cluster on install; the tests run their own.
# The setting must be in createcluster.conf before the packages come; ucf keeps our file.
if printf '%s\n' "${missing[@]}" | grep -q '^postgresql'; then
  $SUDO mkdir -p /etc/postgresql-common
  grep -qs '^create_main_cluster *= *false' /etc/postgresql-common/createcluster.conf \
    || echo 'create_main_cluster = false' | $SUDO tee -a /etc/postgresql-common/createcluster.conf >/dev/null
  export UCF_FORCE_CONFFOLD=1
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
