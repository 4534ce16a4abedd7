#!/usr/bin/env bash
# Installs what is missing from Debian's packages, builds Tarnwell, then
# starts it ("run") or runs every test ("test"). "test" then also runs the
# tests that need no Qt WebEngine under AddressSanitizer and
# UndefinedBehaviorSanitizer (gcc, in BUILD-asan) and runs each libFuzzer
# target for a while on a copy of its seed corpus (clang, in BUILD-fuzz).
set -euo pipefail

cd "$(dirname "$0")/.."
action="${1:-run}"
build_dir="${TARNWELL_BUILD_DIR:-build}"
asan_dir="${build_dir}-asan"
fuzz_dir="${build_dir}-fuzz"
fuzz_seconds=30

# libgumbo-dev: an HTML5 parser; the program finds with it where each element
# of a page stands in its text, and the tests check Check page's reader with it.
packages=(cmake ninja-build g++ qt6-base-dev qt6-webengine-dev qt6-image-formats-plugins xvfb
    desktop-file-utils appstream dpkg-dev file libgumbo-dev
    libssh-dev libcurl4-openssl-dev libssl-dev qtkeychain-qt6-dev)
# The tests' fuzz targets: clang, libFuzzer and clang's sanitizer runtimes, and
# llvm-symbolizer for readable reports. (gcc's sanitizer runtimes come with g++.)
if [[ $action == test ]]; then
    packages+=(clang-14 libclang-rt-14-dev llvm-14)
    # The servers that the publishing tests start on 127.0.0.1, and a
    # keyring of their own on a session bus of their own.
    packages+=(openssh-server openssh-client proftpd-core proftpd-mod-crypto openssl
        dbus-daemon dbus-bin gnome-keyring)
    # The web checks: headless Chromium, Java for the Nu HTML checker, and
    # Node.js with npm to drive them, unless the machine has its own.
    packages+=(chromium default-jre-headless)
    command -v npm >/dev/null || packages+=(nodejs npm)
fi

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

# The web checks' Node.js packages, at the versions package-lock.json pins;
# no install script runs (vnu-jar's would fetch a Java of its own).
web_tools() {
    (cd tests/web && npm ci --ignore-scripts --no-audit --no-fund)
}

build() {
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
    cmake --build "$build_dir"
}

# The tests that need no Qt WebEngine and run in one process, built with the
# sanitizers (the e2e tests preload a library of their own). Any leak,
# memory error or undefined behaviour fails its test.
sanitized_tests() {
    cmake -S . -B "$asan_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
        -DCMAKE_CXX_COMPILER=g++ -DTARNWELL_SANITIZE=ON
    cmake --build "$asan_dir"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "$asan_dir" --output-on-failure --parallel 2 -LE "webengine|big|e2e|web"
}

# Each fuzz target runs on a scratch copy of its seed corpus, so what it adds
# never lands in fuzz/corpus. A crash is kept as BUILD-fuzz/fuzz_NAME-crash-*.
fuzz() {
    cmake -S . -B "$fuzz_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        -DCMAKE_CXX_COMPILER=clang++-14 -DTARNWELL_SANITIZE=ON -DTARNWELL_FUZZ=ON
    cmake --build "$fuzz_dir" --target fuzzers
    local scratch name log
    scratch="$(mktemp -d)"
    for name in loader writer kept picture_header page_elements page_reader file_guard sent_record \
        ftp_reply web_picture; do
        cp -R "fuzz/corpus/$name" "$scratch/$name"
        log="$fuzz_dir/fuzz_$name.log"
        echo "fuzz_$name: ${fuzz_seconds} s on a copy of fuzz/corpus/$name"
        if ! ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14 "$fuzz_dir/bin/fuzz_$name" \
            -max_total_time="$fuzz_seconds" -timeout=20 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$fuzz_dir/fuzz_$name-" \
            "$scratch/$name" >"$log" 2>&1; then
            tail -n 60 "$log"
            grep -m 1 -A 1 'PAGE CHECK FAILED' "$log" || true
            echo "fuzz_$name FAILED; the input is kept in $fuzz_dir/fuzz_$name-crash-*" >&2
            rm -rf "$scratch"
            return 1
        fi
        echo "fuzz_$name: no crash; $(grep -m 1 '^Done' "$log")"
    done
    rm -rf "$scratch"
}

# Seconds a stage took, for the closing line.
timed() {
    local start=$SECONDS
    stage="$1"
    shift
    "$@"
    times+=("$stage $((SECONDS - start)) s")
}

report() {
    local status=$?
    if ((status != 0)); then
        echo "dev.sh test: FAILED in stage \"$stage\"" >&2
    else
        echo "dev.sh test: all passed (${times[*]/%/;} total $SECONDS s)"
    fi
}

# The account that the SFTP tests log into with a password, chrooted by the
# tests' own sshd: no shell, no home. Only root can make it; otherwise those
# tests skip.
test_account() {
    id tarnwell-sftp >/dev/null 2>&1 && return 0
    [[ $(id -u) -ne 0 ]] && return 0
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
        tarnwell-sftp
}

case "$action" in
run)
    install_missing
    build
    exec "$build_dir/bin/tarnwell"
    ;;
test)
    stage="install"
    times=()
    trap report EXIT
    install_missing
    web_tools
    test_account
    timed build build
    # Here a missing web tool fails its check rather than skipping it.
    TARNWELL_WEB_CHECKS=required \
        timed tests ctest --test-dir "$build_dir" --output-on-failure --parallel 2
    timed sanitized sanitized_tests
    timed fuzz fuzz
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
