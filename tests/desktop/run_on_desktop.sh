#!/bin/sh
# Runs a widget test program on a real X server with a window manager, as on an
# operator's desktop: Xvfb with one 1280x1024 screen and openbox, which frames
# the windows (title bar, borders) only once they are mapped.
#   run_on_desktop.sh PROGRAM [ARGS...]
set -eu
for tool in Xvfb openbox xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: install xvfb, openbox and x11-utils (scripts/test does)"
        exit 1
    fi
done
work=$(mktemp -d)
xvfb='' wm=''
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display and names it on fd 3 once it takes clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
tries=0
until [ -s "$work/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$xvfb" 2>/dev/null; then
        echo "Xvfb did not start"
        cat "$work/xvfb.log"
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"

openbox --sm-disable >"$work/wm.log" 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
        echo "openbox did not take over the screen"
        cat "$work/wm.log"
        exit 1
    fi
    sleep 0.1
done

mkdir -m 700 "$work/runtime"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
"$@"
