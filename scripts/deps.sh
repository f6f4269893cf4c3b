# Sourced by the other scripts: installs the Debian 12 packages the build needs.
PORTAVO_PACKAGES="build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev qt6-translations-l10n poppler-utils fonts-liberation"

portavo_install_deps() {
  local missing=""
  for p in $PORTAVO_PACKAGES; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}

portavo_build() {
  local dir="$1"; shift
  cmake -S "$PORTAVO_SRC" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j"$(nproc)"
}
