#!/usr/bin/env bash
# Shared set-up of ./run and ./test: installs the Debian packages the textbook needs when some are
# missing, then configures and builds it (Release) in build/, which assembles the demo course in
# build/course/. Quick when nothing changed.
set -euo pipefail

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$TOP/build"

PACKAGES=(
    cmake g++ ninja-build pkg-config mdbtools-dev
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6sql6-sqlite libqt6sql6-psql qt6-webengine-dev libgl-dev
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    libjpeg62-turbo-dev libsqlite3-dev libxml2-dev
    xvfb xauth xdotool x11-utils poppler-utils
    fonts-dejavu-core fonts-dejavu-extra fonts-liberation fonts-wine
    clang-14 libclang-rt-14-dev clang-format e2fsprogs util-linux python3 strace
    postgresql
    dpkg-dev lintian desktop-file-utils appstream man-db
)

missing_packages() {
    local p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

install_packages() {
    local missing
    missing=$(missing_packages)
    [ -z "$missing" ] && return 0
    echo "Installing missing Debian packages:" $missing
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            sudo=(sudo -n)
        else
            echo "These Debian packages are missing and cannot be installed without root:" >&2
            echo "  $missing" >&2
            echo "Install them as root (apt-get install $missing) or run this command with sudo rights." >&2
            exit 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    # shellcheck disable=SC2086
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends $missing
}

build_textbook() {
    if [ ! -f "$BUILD/CMakeCache.txt" ]; then
        cmake -S "$TOP" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release
    fi
    cmake --build "$BUILD" --parallel "$(nproc)"
}

install_packages
build_textbook
