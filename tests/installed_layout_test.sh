#!/usr/bin/env bash
# The installed layout as a user meets it: installed to a prefix the user
# cannot write, the command line and the window must still put their
# outputs where the user can (the current folder; ~/Sarvane for the
# window's settings) and keep their settings and work files in the home.
#
# usage: installed_layout_test.sh BUILD_DIR FIXTURE_PDF
set -euo pipefail
build=$1
fixture=$2

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod -R a-w "$prefix"

home=$scratch/home
work=$scratch/work
inputs=$scratch/inputs
mkdir -p "$home" "$work" "$inputs"
cp "$fixture" "$inputs/first.pdf"
cp "$fixture" "$inputs/second.pdf"
# An empty settings file: every setting at its default, as on a first start.
: >"$work/settings.ini"

# Root may write anywhere, so the runs go as an unprivileged user then.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$home" "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
run() {
  (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "${as_user[@]}" "$@")
}
fail() { echo "installed_layout_test: $*" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ] && [ -w "$prefix/bin" ]; then fail "the prefix is writable; the test proves nothing"; fi

# The command line without --out writes into the folder it runs in.
run "$prefix/bin/sarvane-cli" lock --owner o "$inputs/first.pdf" >"$scratch/cli.log" 2>&1 ||
  { cat "$scratch/cli.log" >&2; fail "lock into the current folder failed"; }
qpdf --show-encryption "$work/first.pdf" | grep "R = 3" >/dev/null || fail "no locked output in the current folder"

# With the window's settings and no writable folder beside the program,
# outputs go to ~/Sarvane; settings and work files stay in the home.
run "$prefix/bin/sarvane-cli" lock --settings settings.ini --owner o "$inputs/second.pdf" >"$scratch/cli.log" 2>&1 ||
  { cat "$scratch/cli.log" >&2; fail "lock with the window's settings failed"; }
qpdf --show-encryption "$home/Sarvane/second.pdf" | grep "R = 3" >/dev/null || fail "no locked output in ~/Sarvane"
[ -d "$home/.config/sarvane/temp" ] || fail "the work folder is not in the home"
[ -z "$(ls -A "$home/.config/sarvane/temp")" ] || fail "a job left its work files behind"

# The window starts, takes ~/Sarvane as its output folder and stays up.
if [ -x "$prefix/bin/sarvane" ]; then
  rm -rf "$home/Sarvane"
  run timeout 5 "$prefix/bin/sarvane" >"$scratch/window.log" 2>&1 && status=0 || status=$?
  [ "$status" -eq 124 ] || { cat "$scratch/window.log" >&2; fail "the window ended with status $status"; }
  [ -d "$home/Sarvane" ] || fail "the window did not make ~/Sarvane"
fi
echo "installed_layout_test: passed"
