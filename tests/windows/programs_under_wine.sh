#!/bin/sh
# The Windows programs run under Wine as an operator starts them: each case lays
# the program with Qt's DLLs and plugins in a folder of its own (the port
# library beside it is the one it loads), runs it and checks what it wrote.
#   programs_under_wine.sh CASE BIN VERSION WINE_PREFIX OPERATOR_PLUGIN NO_PORT_LIBRARY
# The start-WINVER cases run qv4130 under the Windows version Wine pretends,
# on the offscreen platform with the operator plugin at its boxes; "desktop"
# runs it on the windows platform, which needs an X display (Xvfb). Both are
# chosen with Qt's own arguments: Wine hands no QT_* variable to Windows programs.
set -eu
case=$1 bin=$2 version=$3 prefix=$4 operator=$5 noPort=$6
wine="$(dirname "$0")/../../cmake/run-under-wine.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin/generic"
for item in "$bin"/*.dll "$bin"/platforms "$bin"/styles "$bin"/imageformats "$bin"/iconengines; do
    [ -e "$item" ] && cp -r "$item" "$work/bin/"
done
cp "$bin/qv4130.exe" "$bin/qv4130ctl.exe" "$work/bin/"

# wine PROGRAM [ARGS...]: runs it under Wine
wine() { "$wine" "$prefix" "$@"; }
. "$(dirname "$0")/../support/run_expecting.sh"
# has FILE LINE...: each LINE is a whole line of FILE
has() {
    file=$1
    shift
    for line in "$@"; do
        grep -qxF -- "$line" "$file" || { echo "no line \"$line\" in:"; cat "$file"; exit 1; }
    done
}

case $case in
ctl-version)
    run 0 wine "$work/bin/qv4130ctl.exe" --version
    has "$work/out" "qv4130ctl $version"
    ;;
ctl-virtual-board)
    run 0 wine "$work/bin/qv4130ctl.exe" --virtual-board write 3 1000 status
    has "$work/out" "port: LPT1 (0x378)" "channel 3: 1000" "channel 4: 0"
    ;;
version)
    run 0 wine "$work/bin/qv4130.exe" /SS --version
    has "$work/out" "qv4130 $version"
    ;;
start-*) # Wine keys the version it pretends by the program's file name
    winver=${case#start-}
    program="qv4130-$winver-$$.exe"
    mv "$work/bin/qv4130.exe" "$work/bin/$program"
    cp "$noPort" "$work/bin/parllio.dll"
    cp "$operator" "$work/bin/generic/"
    key="HKCU\\Software\\Wine\\AppDefaults\\$program"
    wine reg add "$key" /v Version /d "$winver" /f >/dev/null
    status=0
    # Qt's own arguments, as Wine hands no QT_* variable to a Windows program.
    (run 0 wine "$work/bin/$program" -platform offscreen -plugin qv4130-operator /SS) || status=$?
    wine reg delete "$key" /f >/dev/null
    [ "$status" = 0 ] || exit "$status"
    case $winver in
    win98) # the port is LPT1's without asking; its control register is set
        ! grep -q Claim "$work/err" || { cat "$work/err"; exit 1; }
        has "$work/err" "box \"Show Status\", information: Windows Version:Windows 98" \
            "Port Address:0x378" "OutByte(890, 212)"
        ;;
    *) # the NT family claims the port through the library, here refused
        case $winver in nt40) name="Windows NT 4.0" ;; winxp) name="Windows 2000" ;; *) name= ;; esac
        has "$work/err" "ClaimParallelPort(1, -1)" "box \"QV4130\", none: claim parallel port failed" \
            "box \"Show Status\", information: Windows Version:$name" "Port Address:0x0"
        ;;
    esac
    ;;
ctl-serve) # SCPI served on Winsock, and Windows clients reaching it: a command and a characterisation
    server=qv4130ctl-serve-$$.exe
    cp "$work/bin/qv4130ctl.exe" "$work/bin/$server"
    trap 'pkill -f "$server" || true; rm -rf "$work"' EXIT
    wine "$work/bin/$server" --virtual-board write 5 2560 serve --listen 127.0.0.1:0 \
        --meter-listen 127.0.0.1:0 >"$work/serving" 2>&1 </dev/null &
    tries=0
    until [ "$(grep -c "serving SCPI on" "$work/serving")" = 2 ]; do
        tries=$((tries + 1))
        [ $tries -le 600 ] || { echo "not serving:"; cat "$work/serving"; exit 1; }
        sleep 0.1
    done
    board=$(sed -n 's/^qv4130ctl: serving SCPI on //p' "$work/serving")
    meter=$(sed -n 's/^qv4130ctl (simulated meter): serving SCPI on //p' "$work/serving")
    run 0 wine "$work/bin/qv4130ctl.exe" --connect "$board" scpi "SOUR:CHAN5:CODE?" \
        characterise --channel 1 --meter "$meter" --step 1024 --csv "$work/run.csv" status
    has "$work/out" "2560" "channel 1, 5 codes" "monotonic: yes" "channel 5: 2560"
    ;;
desktop) # the windows platform on an X display: up, closed by the operator, gone
    cp "$operator" "$work/bin/generic/"
    # A prefix of its own: the other cases' Wine server runs headless, and every
    # program it starts gets no windows.
    QV4130_WINE_DISPLAY=1 run 0 timeout 90 xvfb-run -a -s "-nolisten tcp" "$wine" "$prefix-desktop" \
        "$work/bin/qv4130.exe" -platform windows -plugin qv4130-operator --virtual-board
    ;;
*)
    echo "no case $case"
    exit 2
    ;;
esac
