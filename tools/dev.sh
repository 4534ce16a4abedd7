#!/usr/bin/env bash
# Installs what is missing from Debian's packages, builds Tarnwell, then
# starts it ("run") or runs every test ("test").
set -euo pipefail

cd "$(dirname "$0")/.."
action="${1:-run}"
build_dir="${TARNWELL_BUILD_DIR:-build}"

packages=(cmake ninja-build g++ qt6-base-dev qt6-webengine-dev qt6-image-formats-plugins xvfb)

install_missing() {
    local missing=() package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    ((${#missing[@]} == 0)) && return 0
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}"
}

build() {
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
    cmake --build "$build_dir"
}

case "$action" in
run)
    install_missing
    build
    exec "$build_dir/bin/tarnwell"
    ;;
test)
    install_missing
    build
    ctest --test-dir "$build_dir" --output-on-failure --parallel 2
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
