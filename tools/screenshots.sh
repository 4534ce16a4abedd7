#!/usr/bin/env bash
# Takes the README's screenshots into docs/screenshots; no display needed.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir="${TARNWELL_SCREENSHOT_BUILD_DIR:-build-screenshots}"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNWELL_SCREENSHOTS=ON
cmake --build "$build_dir" --target tarnwell_screenshots

# The pictures show the session folder, so use one a user would have; it is
# removed again if it was made here.
work="${TARNWELL_SCREENSHOT_HOME:-$HOME}/My web page"
if [[ ! -d "$work" ]]; then
    mkdir -p "$work"
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen "$build_dir/bin/tarnwell_screenshots" docs/screenshots "$work"
ls -l docs/screenshots
