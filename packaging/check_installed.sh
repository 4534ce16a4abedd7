#!/usr/bin/env bash
# Checks an installed Tarnwell: the program starts and stays up, and the
# folders it looks in from its own location hold the textures and the
# preview and connections modules. Usage: packaging/check_installed.sh [PREFIX]   (default /usr)
set -uo pipefail

prefix="${1:-/usr}"
program="$prefix/bin/tarnwell"
failures=0
check() {
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

check "the program is installed" test -x "$program"
check "the program's libraries are all found" bash -c "! ldd '$program' | grep -q 'not found'"
# gumbo (libgumbo1) finds where a page's elements stand.
check "gumbo is installed" bash -c "/sbin/ldconfig -p | grep -q 'libgumbo\.so\.1 '"

# The program looks beside itself, then in ../share/tarnwell.
textures="$(realpath -m "$(dirname "$program")/../share/tarnwell")"
check "textures at $textures" test -f "$textures/bckgrnd1.jpg" -a -f "$textures/bckgrnd20.jpg"

# The preview module's folder, relative to the program, is built into it (as
# UTF-16 text).
module_dir="$(strings -e l "$program" | grep -m1 -E '^\.\./lib(/[^/]+)?/tarnwell/$' || true)"
check "the program names a module folder ($module_dir)" test -n "$module_dir"
module="$(realpath -m "$(dirname "$program")/$module_dir")/libtarnwell_preview.so"
check "preview module at $module" test -f "$module"
check "the module's libraries are all found" bash -c "! ldd '$module' | grep -q 'not found'"
# The connections module (publishing and the keyring) lies in the same folder.
connections="$(dirname "$module")/libtarnwell_connections.so"
check "connections module at $connections" test -f "$connections"
check "its libraries are all found" bash -c "! ldd '$connections' | grep -q 'not found'"

# No display needed; still running after 3 s means it started and waits for the user.
log="$(mktemp)"
QT_QPA_PLATFORM=offscreen timeout 3 "$program" >"$log" 2>&1
status=$?
check "the program runs for 3 s (exit $status, 124 = stopped by timeout)" test "$status" -eq 124
check "no errors printed" bash -c "! grep -i -E 'error|cannot|fail' '$log'"
sed 's/^/  program: /' "$log"
rm -f "$log"

echo "$failures failed"
((failures == 0))
