#!/usr/bin/env bash
# Takes the README's screenshots into docs/screenshots; no display needed.
set -euo pipefail

cd "$(dirname "$0")/.."
build_dir="${TARNWELL_SCREENSHOT_BUILD_DIR:-build-screenshots}"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNWELL_SCREENSHOTS=ON
cmake --build "$build_dir" --target tarnwell_screenshots web_pages

# The pictures show the session folder, so use one a user would have; it is
# removed again if it was made here.
work="${TARNWELL_SCREENSHOT_HOME:-$HOME}/My web page"
scratch="$(mktemp -d)"
made=()
trap 'rm -rf "$scratch" "${made[@]}"' EXIT
if [[ ! -d "$work" ]]; then
    mkdir -p "$work"
    made+=("$work")
fi
mkdir -p docs/screenshots
# The pages of the web checks, for the Phone view beside Chromium's pictures
# of the same pages in docs/.
pages="$scratch/pages"
"$build_dir/bin/web_pages" "$pages"
# Each run with settings of its own: the window opens at its first size.
for scale in 1 2; do
    XDG_CONFIG_HOME="$scratch/config-$scale" QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=offscreen \
        "$build_dir/bin/tarnwell_screenshots" docs/screenshots "$work" "$pages"
done
ls -l docs/screenshots
