# Runs inside the guest, as its init's child: loads the drivers as a Debian
# system does at boot, then runs each case as an operator would. Before a case
# it writes the case's number to the POST port 0x80, so the host can cut QEMU's
# log of port writes into cases. For each case it prints
#   == case N NAME / -- stdout / ... / -- stderr / ... / -- usb / ... /
#   -- seconds S / == exit STATUS
# where the usb part holds what the software FTDI chip logged meanwhile.
load() { for module in "$@"; do insmod "/modules/$module.ko"; done; }
load parport parport_pc ppdev
# What Debian's udev rule does for the port devices.
chgrp lp /dev/parport* && chmod 660 /dev/parport*
export PATH=/opt/qv4130:$PATH QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='default.warning=false'
export QT_PLUGIN_PATH=/opt/qv4130/plugins QT_QPA_GENERIC_PLUGINS=qv4130-operator
number=0
usb_log=/tmp/usb.log
: >$usb_log

uptime_seconds() { cut -d ' ' -f 1 /proc/uptime; }

# gadget NAME VENDOR PRODUCT SERIAL: a configfs gadget of one FunctionFS
# function, whose files are mounted at /dev/ffs-NAME
gadget() {
    dir=/sys/kernel/config/usb_gadget/$1
    mkdir $dir $dir/strings/0x409 $dir/configs/c.1 $dir/functions/ffs.$1
    echo $2 >$dir/idVendor
    echo $3 >$dir/idProduct
    echo $4 >$dir/strings/0x409/serialnumber
    ln -s $dir/functions/ffs.$1 $dir/configs/c.1/
    mkdir /dev/ffs-$1 && mount -t functionfs $1 /dev/ffs-$1
}

# as USER NAME COMMAND: the case, run by USER through a login shell's su
as() {
    user=$1 name=$2
    shift 2
    number=$((number + 1))
    printf "\\$(printf %03o $number)" | dd of=/dev/port bs=1 seek=128 2>/dev/null
    logged=$(wc -l <$usb_log)
    started=$(uptime_seconds)
    su -s /bin/sh "$user" -c "XDG_RUNTIME_DIR=/tmp; $*" >/tmp/out 2>/tmp/err
    status=$?
    seconds=$(echo "$(uptime_seconds) $started" | awk '{ print $1 - $2 }')
    printf '== case %d %s\n-- stdout\n' "$number" "$name"
    cat /tmp/out
    echo "-- stderr"
    cat /tmp/err
    echo "-- usb"
    tail -n +$((logged + 1)) $usb_log
    echo "-- seconds $seconds"
    echo "== exit $status"
}

as operator write qv4130ctl write 5 0xA00
as operator program qv4130 /SS
as outsider outsider qv4130ctl write 5 0xA00

# The printer driver takes every port: the claim is shared with it.
load lp
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

# No printer port now: an FT232H (0403:6014, serial FT4ABC12) on dummy_hcd, the
# software chip behind it, and the kernel's serial driver bound to it first.
rmmod lp ppdev parport_pc parport
load configfs usb-common usbcore udc-core dummy_hcd libcomposite usb_f_fs usbserial ftdi_sio
mount -t configfs none /sys/kernel/config
gadget ftdi 0x0403 0x6014 FT4ABC12
gadget=/sys/kernel/config/usb_gadget/ftdi
echo 0x0900 >$gadget/bcdDevice # how libftdi tells an FT232H
ftdi_gadget /dev/ffs-ftdi $usb_log &
for tenth in $(seq 50); do [ -e /dev/ffs-ftdi/ep2 ] && break; sleep 0.1; done
ls /sys/class/udc >$gadget/UDC
for tenth in $(seq 100); do [ -e /sys/bus/usb/drivers/ftdi_sio/1-1:1.0 ] && break; sleep 0.1; done
# What the library's udev rule does.
chgrp plugdev /dev/bus/usb/001/* && chmod 660 /dev/bus/usb/001/*
serial_driver="ls /sys/bus/usb/drivers/ftdi_sio | grep -c :" # devices bound to it
as operator usb-write "$serial_driver; qv4130ctl write 5 0xA00; s=\$?; $serial_driver; exit \$s"
echo 'LPT1 = ftdi:serial=FT4ABC12' >/tmp/parllio.conf
as operator usb-conf PARLLIO_CONFIG=/tmp/parllio.conf qv4130ctl write 5 0xA00
chmod 600 /dev/bus/usb/001/002
as operator usb-permission qv4130ctl write 5 0xA00
chmod 660 /dev/bus/usb/001/002
# Unplugged while a script runs: the gadget unbound once the first word (and
# the byte before it) has arrived, well before the second.
logged=$(wc -l <$usb_log)
(
    for tenth in $(seq 100); do
        arrived=$(tail -n +$((logged + 1)) $usb_log | awk '$1 == "out" { n += NF - 1 } END { print n + 0 }')
        [ "$arrived" -ge 56 ] && break
        sleep 0.1
    done
    echo >$gadget/UDC
) &
unplug=$!
as operator usb-unplug "(echo SOUR:CHAN1:CODE 1; sleep 6; echo SOUR:CHAN2:CODE 2) | qv4130ctl run -"
wait $unplug

# A DC voltmeter on USB-TMC (the software one, on the same dummy_hcd), with the
# kernel's usbtmc driver making /dev/usbtmc0 of it.
load usbtmc
gadget meter 0x1d6b 0x0104 TMC0001
meter=/sys/kernel/config/usb_gadget/meter
meter_pid=
# plug_meter MODE: the meter (re)started in MODE and plugged in, its node given
# to the plugdev group as a udev rule would.
plug_meter() {
    if [ -n "$meter_pid" ]; then
        echo >$meter/UDC
        { kill $meter_pid && wait $meter_pid; } 2>/dev/null
        for tenth in $(seq 50); do [ -e /dev/usbtmc0 ] || break; sleep 0.1; done
    fi
    usbtmc_meter_gadget /dev/ffs-meter $usb_log "$1" &
    meter_pid=$!
    for tenth in $(seq 50); do [ -e /dev/ffs-meter/ep2 ] && break; sleep 0.1; done
    ls /sys/class/udc >$meter/UDC
    for tenth in $(seq 100); do [ -e /dev/usbtmc0 ] && break; sleep 0.1; done
    chgrp plugdev /dev/usbtmc0 && chmod 660 /dev/usbtmc0
}
# Channel 3 in steps of 512: nine codes, nine readings; bounded by timeout(1)
# so that a meter link that hangs fails its case, not the boot.
characterise="timeout 20 qv4130ctl --virtual-board characterise --meter /dev/usbtmc0 \
--channel 3 --step 512 --csv /tmp/meter.csv --timeout"
show_csv="s=\$?; cat /tmp/meter.csv; rm -f /tmp/meter.csv; exit \$s"
plug_meter normal
as operator meter-run "$characterise 1000; $show_csv"
plug_meter split
as operator meter-split "$characterise 1000; $show_csv"
plug_meter silent
# Shorter than the driver takes: its shortest, 100 ms.
as operator meter-short "$characterise 50"
echo >$meter/UDC
{ kill $meter_pid && wait $meter_pid; } 2>/dev/null
# QEMU's own FTDI chip (0403:6001), which knows no bit-bang mode.
load uhci-hcd
for tenth in $(seq 100); do [ -e /sys/bus/usb/devices/2-1 ] && break; sleep 0.1; done
chgrp plugdev /dev/bus/usb/002/* && chmod 660 /dev/bus/usb/002/*
echo 'LPT1 = ftdi:0403:6001' >/tmp/serial.conf
as operator usb-serial PARLLIO_CONFIG=/tmp/serial.conf qv4130ctl write 5 0xA00

# The system calls of a run of one word and of 1,000, on the printer port
# again: the slowest case, last.
load parport parport_pc ppdev
chgrp lp /dev/parport* && chmod 660 /dev/parport*
words=$(seq 1000 | sed 's/.*/write 5 &/' | tr '\n' ' ')
as operator strace-1 strace -c -f qv4130ctl write 5 1
as operator strace-1000 strace -c -f qv4130ctl "$words"
