#!/bin/sh
# The end-to-end tests: the real program on a real X server (Xvfb) with a
# window manager (openbox), driven through the accessibility tree and real
# input events (python3-dogtail, xdotool).
#   run.sh TEKSTOVAR SHOTS    TEKSTOVAR: the program; SHOTS: where the
#                             screenshots the tests take are left
set -eu
program=$1
shots=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$shots"

if [ "$(id -u)" -eq 0 ]; then
    # Root may write every file, so an unwritable file cannot be made for it;
    # and a user does not run a desktop as root. The tests run as nobody, on
    # copies of the program and of themselves that nobody can reach.
    work=$(mktemp -d /tmp/tekstovar-e2e.XXXXXX)
    chmod 755 "$work"
    cp "$program" "$work/tekstovar"
    cp -r "$here" "$work/e2e"
    mkdir "$work/home" "$work/shots"
    chown -R nobody:nogroup "$work"
    rc=0
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME="$work/home" USER=nobody LOGNAME=nobody \
        sh "$work/e2e/run.sh" "$work/tekstovar" "$work/shots" || rc=$?
    cp -r "$work/shots/." "$shots/"
    rm -rf "$work"
    exit $rc
fi

session=$(mktemp -d "${TMPDIR:-/tmp}/tekstovar-session.XXXXXX")
xvfb=""
trap '[ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null; rm -rf "$session"' EXIT
trap 'exit 130' INT TERM
export XDG_RUNTIME_DIR="$session/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" >"$session/xvfb.log" 2>&1 &
xvfb=$!
tries=0
until [ -s "$session/display" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || { echo "Xvfb did not start:" >&2; cat "$session/xvfb.log" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(cat "$session/display")"

export E2E_PROGRAM="$program" E2E_SHOTS="$shots" E2E_SESSION="$session" E2E_HERE="$here"
# A session bus of its own: the accessibility bus is started on it on demand.
dbus-run-session -- sh -c '
    openbox --sm-disable >"$E2E_SESSION/openbox.log" 2>&1 &
    wm=$!
    sleep 1
    rc=0
    /usr/bin/python3 -m unittest discover -s "$E2E_HERE" -p "${E2E_PATTERN:-test_*.py}" -v || rc=$?
    kill $wm
    exit $rc
'
