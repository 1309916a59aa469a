# Runs inside the guest, as its init's child: loads the printer-port drivers as
# a Debian system does at boot, then runs each case as an operator would. Before
# a case it writes the case's number to the POST port 0x80, so the host can cut
# QEMU's log of port writes into cases. For each case it prints
#   == case N NAME / -- stdout / ... / -- stderr / ... / -- seconds S / == exit STATUS
insmod /modules/parport.ko
insmod /modules/parport_pc.ko
insmod /modules/ppdev.ko
# What Debian's udev rule does for the port devices.
chgrp lp /dev/parport* && chmod 660 /dev/parport*
export PATH=/opt/qv4130:$PATH QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='default.warning=false'
export QT_PLUGIN_PATH=/opt/qv4130/plugins QT_QPA_GENERIC_PLUGINS=qv4130-operator
number=0

uptime_seconds() { cut -d ' ' -f 1 /proc/uptime; }

# as USER NAME COMMAND: the case, run by USER through a login shell's su
as() {
    user=$1 name=$2
    shift 2
    number=$((number + 1))
    printf "\\$(printf %03o $number)" | dd of=/dev/port bs=1 seek=128 2>/dev/null
    started=$(uptime_seconds)
    su -s /bin/sh "$user" -c "XDG_RUNTIME_DIR=/tmp; $*" >/tmp/out 2>/tmp/err
    status=$?
    printf '== case %d %s\n-- stdout\n' "$number" "$name"
    cat /tmp/out
    echo "-- stderr"
    cat /tmp/err
    echo "-- seconds $(echo "$(uptime_seconds) $started" | awk '{ print $1 - $2 }')"
    echo "== exit $status"
}

as operator write qv4130ctl write 5 0xA00
as operator step qv4130ctl step 5 -60 step 5 127
as operator power qv4130ctl power off power on
as operator reset qv4130ctl reset
as operator sweep qv4130ctl sweep
as operator program qv4130 /SS
as operator lpt2 qv4130ctl --port LPT2 write 5 0xA00
as outsider outsider qv4130ctl write 5 0xA00

# The printer driver takes every port: the claim is shared with it.
insmod /modules/lp.ko
as operator lp-shared qv4130ctl write 5 0xA00
# A second program holds the (shared) claim while it reads its script.
sleep 30 | su -s /bin/sh operator -c "qv4130ctl run -" &
for tenth in $(seq 100); do
    [ "$(cat /proc/sys/dev/parport/parport0/devices/active)" = none ] || break
    sleep 0.1
done
sleep 1 # its start-up done
as operator held qv4130ctl write 5 0xA00
kill $(pidof qv4130ctl sleep)
wait
rmmod lp

# The system calls of a run of one word and of 1,000: the slowest case, last.
words=$(seq 1000 | sed 's/.*/write 5 &/' | tr '\n' ' ')
as operator strace-1 strace -c -f qv4130ctl write 5 1
as operator strace-1000 strace -c -f qv4130ctl "$words"
