#!/bin/sh
# Builds the benchmarks (RelWithDebInfo, in their own build folder) and prints
# every figure beside its reference as one table, then notes on the runs.
# The screens run on Qt's offscreen platform.
#
#   bench/run.sh                 build into build-bench/ and run everything
#   TARNWELL_BENCH_BUILD_DIR=DIR to build elsewhere
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNWELL_BENCH_BUILD_DIR:-$here/build-bench}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-bench.XXXXXX")
# On a failure, the last of Qt's messages say why.
trap 'rc=$?; if [ $rc -ne 0 ] && [ -s "$work/messages.log" ]; then tail -n 20 "$work/messages.log"; fi; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWELL_BENCH=ON \
    >"$work/configure.log" || { cat "$work/configure.log"; exit 1; }
cmake --build "$build" --target tarnwell_bench_start tarnwell_bench_page tarnwell_bench_publish >"$work/build.log" ||
    { cat "$work/build.log"; exit 1; }

bin=$build/bin
export QT_QPA_PLATFORM=offscreen TARNWELL_BENCH_PLATFORM=offscreen
# A home of its own: no page left from an earlier run is offered at start,
# and the window opens at its first size.
mkdir -p "$work/home"
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
# Chromium refuses its sandbox as root.
if [ "$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

out=$work/figures
# Qt's own warnings (offscreen platform, no runtime folder) go to a log.
log=$work/messages.log
exec 3>&2 2>>"$log"
step() { echo "running: $1" >&3; }
step "start-up"
"$bin/tarnwell_bench_start" "$bin/tarnwell" "$bin/tarnwell_bench_bare" \
    "$bin/libtarnwell_bench_probe.so" 21 >>"$out" ||
    echo "Note: the start-up run reported a failure (see its notes)." >>"$out"
step "append"
"$bin/tarnwell_bench_page" append >>"$out"
step "SAVE and load"
"$bin/tarnwell_bench_page" saveload "$work/saveload" >>"$out"
step "Check page"
"$bin/tarnwell_bench_page" checkpage "$work/checkpage" >>"$out"
step "memory"
"$bin/tarnwell_bench_page" make-page "$work/page.html" 10485760
"$bin/tarnwell_bench_page" memory-series "$work/page.html" 3 >>"$out"
step "Publish"
"$bin/tarnwell_bench_publish" >>"$out"
step "PREVIEW"
"$bin/tarnwell_bench_page" preview-series "$work/preview" 5 >>"$out"
step "live page"
"$bin/tarnwell_bench_page" live "$work/live" >>"$out"

exec 2>&3
echo "| Figure | Median | Reference | Reference median | Ratio | Target | Met |"
echo "|---|---|---|---|---|---|---|"
grep '^|' "$out"
echo
grep '^Note:' "$out" | sed 's/^Note: /- /'
