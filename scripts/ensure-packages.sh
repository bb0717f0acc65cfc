# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by run.sh and test.sh: installs the Debian packages the build needs.
# As root it runs apt-get; otherwise it prints the exact command and stops.
# libqt6sql6-sqlite is Qt SQL's SQLite driver (the server history); dbus-daemon gives the tests
# a private session bus for the desktop notifications.
zorvane_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libgtest-dev libgmock-dev
                  libbenchmark-dev qt6-multimedia-dev desktop-file-utils appstream
                  libloc-dev libloc-database famfamfam-flag-png qt6-svg-dev libqt6sql6-sqlite dbus-daemon)
# The fuzz harnesses (scripts/fuzz-briefly.sh): clang with libFuzzer and its sanitizer runtimes.
zorvane_fuzz_packages=(clang libclang-rt-dev)
# The look without a desktop (scripts/screenshot.sh): Xvfb, a screen grab, and keys typed.
zorvane_look_packages=(xvfb imagemagick xdotool)

# ensure_packages [PACKAGE...]: the build's packages when none are named.
ensure_packages() {
  local wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${zorvane_packages[@]}")
  local missing=()
  local p
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2
  apt-get install -y -qq "${missing[@]}" >&2
}

# configure_and_build DIR [CMAKE ARGUMENTS...]; ccache is used when installed.
configure_and_build() {
  local dir=$1
  shift
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
