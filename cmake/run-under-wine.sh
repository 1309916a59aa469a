#!/usr/bin/env bash
# run-under-wine.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a Windows program under 64-bit Wine in the Wine prefix PREFIX, which is
# created on first use. Headless and quiet: no debug channels, no offer to install
# Mono or Gecko. Carriage returns are stripped from the program's output so that
# tools reading it line by line (ctest, GoogleTest's discovery) see plain lines.
# The exit status is the program's.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 PREFIX PROGRAM [ARGS...]" >&2
    exit 2
fi
prefix=$(realpath -m "$1") # Wine takes only an absolute prefix
shift

if [ -x /usr/lib/wine/wine64 ]; then
    wine=/usr/lib/wine/wine64 # Debian keeps the 64-bit loader here
else
    wine=$(command -v wine64 || command -v wine || true)
fi
if [ -z "$wine" ]; then
    echo "$0: wine64 is not installed" >&2
    exit 2
fi
wineserver=$(dirname "$wine")/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

export WINEPREFIX=$prefix
export WINELOADER=$wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Headless unless a test gives the program a display of its own (Xvfb).
if [ "${QV4130_WINE_DISPLAY:-0}" != 1 ]; then
    unset DISPLAY WAYLAND_DISPLAY
fi

# Start the prefix's server and Wine's own background services here, cut off
# from our output. Started by a test program instead, they would inherit its
# output and keep ctest waiting on it until the server ends. The server stays
# for a few seconds after the last program, so the next test finds all running.
start_server() {
    exec 9>"$prefix.lock"
    flock 9
    if "$wineserver" -p10 </dev/null >/dev/null 2>&1 9>&-; then
        # A new server: one program brings the services up.
        "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
    exec 9>&-
}

# Creating a prefix takes a few seconds; tests started in parallel wait for the
# first one to finish it.
if [ ! -e "$prefix/.ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    exec 9>"$prefix.lock"
    flock 9
    if [ ! -e "$prefix/.ready" ]; then
        "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
        if [ ! -d "$prefix/drive_c/windows/system32" ]; then
            echo "$0: could not create the Wine prefix $prefix" >&2
            exit 2
        fi
        touch "$prefix/.ready"
    fi
    exec 9>&-
fi

start_server
# Unbuffered, so a program that keeps running (a server) is seen as it writes.
"$wine" "$@" 2> >(stdbuf -o0 tr -d '\r' >&2) | stdbuf -o0 tr -d '\r'
