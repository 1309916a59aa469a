#!/bin/sh
# Runs the built program once, as an operator would start it, on the offscreen
# platform with the operator plugin (Operator.cpp) at its boxes and main window,
# and checks its exit status and what it wrote.
#   run_program.sh CASE PROGRAM VERSION PLUGIN_DIR NO_PORT_LIBRARY
set -eu
program=$2 version=$3 noPortLibrary=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
mkdir "$work/bin" "$work/empty"
export QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$4" QT_QPA_GENERIC_PLUGINS=qv4130-operator
export XDG_RUNTIME_DIR="$work/runtime" QT_LOGGING_RULES='default.warning=false' # the platform's own

. "$(dirname "$0")/../support/run_expecting.sh"
# holds FILE [TEXT]: the file holds exactly TEXT and a newline, or nothing
holds() {
    { [ $# -eq 1 ] || printf '%s\n' "$2"; } | diff -u - "$1"
}

case $1 in
version) # wherever it stands, over a mistake, whatever else is asked but --help
    run 0 "$program" /SS --listen x --version
    holds "$work/out" "qv4130 $version"
    holds "$work/err"
    ;;
help) # wins over a mistake and over --version; each option with its value
    run 0 "$program" --listen /SS --version --help
    head -n 1 "$work/out" | grep -q '^Usage: qv4130 \[options\] \[/SS\]$'
    for option in '--trace <FILE.vcd>' '--listen <[ADDR:]PORT>' '--vref <V>'; do
        grep -qF -- "$option" "$work/out"
    done
    holds "$work/err"
    ;;
missing-library) # nowhere to be found: the reason first on standard error, then the box
    cp "$program" "$work/bin/"
    run 1 env LD_LIBRARY_PATH="$work/empty" "$work/bin/qv4130"
    reason="cannot load the port library libparllio.so: libparllio.so: cannot open shared object file: No such file or directory"
    holds "$work/out"
    holds "$work/err" "qv4130: $reason
box \"QV4130\", critical: The printer port can't be used: $reason"
    ;;
no-port) # the library beside the program is the one used, and /ss is read before
    # Qt takes its own options (here the value of one) out of the arguments
    cp "$program" "$work/bin/"
    cp "$noPortLibrary" "$work/bin/libparllio.so"
    if [ "${QV4130_LIBRARY_BESIDE_VIA_PATH:-0}" = 1 ]; then
        export LD_LIBRARY_PATH="$work/bin"
    fi
    run 0 "$work/bin/qv4130" -qwindowtitle /ss
    holds "$work/err" "GetParallelPortCount()
ClaimParallelPort(1, -1)
box \"QV4130\", none: claim parallel port failed
below: No printer port here? Connect an FTDI USB adapter in bit-bang mode (see man qv4130), or start on the virtual board: qv4130 --virtual-board, or the desktop menu's second action, \"QV4130 on the Virtual Board\".
GetParallelPortInfo(1, {12})
box \"GetPortAddress Error\", warning: This PC does not appear to have a Printer Port
box \"Show Status\", information: Windows Version:Failed
Port Address:0x0"
    ;;
characterise) # the virtual board stands where the library would, at LPT1; the
    # window is beside the others, gone with them
    run 0 "$program" --virtual-board --characterise /SS
    holds "$work/err" "box \"Show Status\", information: Windows Version:Failed
Port Address:0x378"
    ;;
*)
    echo "no case $1"
    exit 2
    ;;
esac
