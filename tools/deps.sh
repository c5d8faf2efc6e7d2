#!/usr/bin/env bash
# Installs the Debian packages the project needs, skipping those already present.
# Sourced by run.sh and test.sh.
set -euo pipefail

MCONV_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev fonts-dejavu-core
    ffmpeg
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    xvfb xauth x11-apps imagemagick xdotool
)

mconv_install_deps() {
    local missing=()
    local package
    for package in "${MCONV_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
