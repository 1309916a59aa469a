#!/bin/sh
# Runs a widget test program on a real X server with a window manager, as on an
# operator's desktop: Xvfb with one 1366x768 screen (a common laptop's) and
# openbox, which frames the windows (title bar, borders) only once they are mapped.
#   run_on_desktop.sh PROGRAM [ARGS...]
set -eu
for tool in Xvfb openbox xprop xev flock; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: install xvfb, openbox and x11-utils (scripts/test does)"
        exit 1
    fi
done
work=$(mktemp -d)
xvfb='' wm='' probe=''
cleanup() {
    for process in $probe $wm $xvfb; do
        kill "$process" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# waitfor WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds, at most
# 200 times, else says WHAT did not happen and stops.
waitfor() {
    what=$1
    shift
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 200 ]; then
            echo "$what, on display ${DISPLAY:-none}"
            cat "$work"/*.log
            exit 1
        fi
        sleep 0.1
    done
}

# The server picks a free display and names it on fd 3. Servers that start at
# the same moment (other runs) would race for one number, so one run at a time
# starts its server. -noreset: a server left by its last client (the probes
# below) would start over under the window manager's feet.
exec 9>"${TMPDIR:-/tmp}/qv4130-desktop-start.lock"
flock 9
Xvfb -displayfd 3 -noreset -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" \
    2>"$work/xvfb.log" 9>&- &
xvfb=$!
answers() {
    [ -s "$work/display" ] && DISPLAY=":$(cat "$work/display")" xprop -root >/dev/null 2>&1
}
waitfor "Xvfb did not start" answers
exec 9>&-
export DISPLAY=":$(cat "$work/display")"

openbox --sm-disable >"$work/wm.log" 2>&1 &
wm=$!
names_itself() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
waitfor "openbox did not take over the screen" names_itself

# openbox names itself before it serves map requests, and a window mapped in
# between may wait long to be shown: map a probe window (xev's), a fresh one
# each second, until one is managed; then wait until it has gone again.
manages() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '# 0x'; }
probe_managed() {
    [ -n "$probe" ] && kill "$probe" 2>/dev/null
    xev >/dev/null 2>&1 &
    probe=$!
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        manages && return 0
        sleep 0.1
    done
    return 1
}
waitfor "openbox never managed a window" probe_managed
kill "$probe"
probe=''
manages_none() { ! manages; }
waitfor "openbox kept the probe window" manages_none

mkdir -m 700 "$work/runtime"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
"$@"
