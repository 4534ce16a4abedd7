#!/usr/bin/env bash
# Takes the README's screenshots into docs/screenshots; no display needed.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir="${TARNWELL_SCREENSHOT_BUILD_DIR:-build-screenshots}"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNWELL_SCREENSHOTS=ON
cmake --build "$build_dir" --target tarnwell_screenshots

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen "$build_dir/bin/tarnwell_screenshots" docs/screenshots "$work"
ls -l docs/screenshots
