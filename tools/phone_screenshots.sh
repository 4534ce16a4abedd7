#!/usr/bin/env bash
# The worked example with a photo 1,600 pixels wide, as a phone 390 pixels
# wide shows it in Chromium, classic and modern: phone-classic.png and
# phone-modern.png in the folder given.
# Needs a configured build folder and tests/web's packages (npm ci there).
set -euo pipefail

cd "$(dirname "$0")/.."
out="$(realpath -m "${1:?usage: tools/phone_screenshots.sh FOLDER}")"
build_dir="${TARNWELL_BUILD_DIR:-build}"

cmake --build "$build_dir" --target web_pages
pages="$(mktemp -d)"
trap 'rm -rf "$pages"' EXIT
"$build_dir/bin/web_pages" "$pages"
mkdir -p "$out"
node tests/web/check_pages.mjs screenshots "$pages" "$out"
