#!/bin/sh
# Boots Debian's own kernel under QEMU, once, with the built programs, the
# printer-port and USB drivers our users load, the software FTDI chip and the
# software USB-TMC meter, runs guest_cases.sh inside and powers off. Leaves in
# QV4130_GUEST_DIR: guest.log (what the cases said), ports.log (QEMU's log of
# the emulated ports' register writes, each after the I/O address it went to),
# usb-serial.out (what reached the serial line of QEMU's own FTDI chip) and
# console.log (the kernel's). The folders and programs are those CMake gives
# kernel_test.py (tests/kernel/CMakeLists.txt) in its QV4130_* variables.
# Exits 77, saying SKIPPED and why, when QEMU, busybox or the kernel cannot be had.
set -eu
out=$QV4130_GUEST_DIR bin=$QV4130_BIN_DIR plugins=$QV4130_PLUGIN_DIR cache=$QV4130_KERNEL_CACHE
gadget=$QV4130_FTDI_GADGET meter=$QV4130_METER_GADGET
here=$(dirname "$0")

skip() {
    echo "SKIPPED: $*" >&2
    exit 77
}
for tool in qemu-system-x86_64 busybox strace; do
    command -v "$tool" >/dev/null ||
        skip "$tool is not installed (QV4130_KERNEL_PACKAGES in scripts/deps.sh)"
done
busybox=$(command -v busybox)
if ldd "$busybox" >/dev/null 2>&1; then
    skip "$busybox is linked dynamically: install busybox-static"
fi

# The kernel: Debian's, from its package archive, cached in the build folder
# and unpacked there, not installed.
mkdir -p "$cache"
if ! ls "$cache"/linux-image-*.deb >/dev/null 2>&1; then
    kernel_package() {
        apt-cache depends linux-image-amd64 2>/dev/null |
            sed -n 's/^ *Depends: \(linux-image-[0-9].*\)/\1/p' | head -n 1
    }
    package=$(kernel_package)
    if [ -z "$package" ] && [ "$(id -u)" = 0 ]; then
        apt-get update -qq >/dev/null 2>&1 || true
        package=$(kernel_package)
    fi
    [ -n "$package" ] || skip "apt knows no linux-image-amd64 (apt-get update first)"
    (cd "$cache" && apt-get download -q "$package" >/dev/null 2>&1) ||
        skip "apt-get download $package failed"
fi
deb=$(ls "$cache"/linux-image-*.deb | head -n 1)
if [ ! -e "$cache/root.stamp" ] || [ "$deb" -nt "$cache/root.stamp" ]; then
    rm -rf "$cache/root"
    dpkg-deb -x "$deb" "$cache/root"
    touch "$cache/root.stamp"
fi
kernel=$(ls "$cache"/root/boot/vmlinuz-* | head -n 1)
modules=$(ls -d "$cache"/root/lib/modules/* | head -n 1)/kernel/drivers

# The guest's root: busybox, the programs with every library they load, the
# drivers, two operators (one in the lp and plugdev groups, one in neither).
root=$out/root
rm -rf "$root" && mkdir -p "$root/bin" "$root/etc" "$root/opt/qv4130/plugins" "$root/modules"
cp "$busybox" "$(command -v strace)" "$gadget" "$meter" "$root/bin/"
cp "$bin/qv4130ctl" "$bin/qv4130" "$bin/libparllio.so" "$root/opt/qv4130/"
cp -r "$plugins/generic" "$root/opt/qv4130/plugins/"
offscreen=$(find /usr/lib -path '*/qt6/plugins/platforms/libqoffscreen.so' | head -n 1)
mkdir -p "$root$(dirname "$offscreen")"
cp "$offscreen" "$root$offscreen"
for elf in "$root"/opt/qv4130/qv4130* "$root"/opt/qv4130/*.so \
    "$root"/opt/qv4130/plugins/generic/*.so "$root$offscreen" "$root"/bin/strace "$root"/bin/*_gadget; do
    LD_LIBRARY_PATH=$root/opt/qv4130 ldd "$elf" |
        sed -n 's/.*=> \(\/[^ ]*\).*/\1/p; s/^[[:space:]]*\(\/[^ ]*\) .*/\1/p'
done | sort -u | while read -r library; do
    case $library in "$root"/*) continue ;; esac
    mkdir -p "$root$(dirname "$library")"
    cp -L "$library" "$root$library"
done
for module in parport/parport parport/parport_pc char/ppdev char/lp usb/common/usb-common \
    usb/core/usbcore usb/gadget/udc/udc-core usb/gadget/udc/dummy_hcd usb/gadget/libcomposite \
    usb/gadget/function/usb_f_fs usb/serial/usbserial usb/serial/ftdi_sio usb/host/uhci-hcd usb/class/usbtmc; do
    cp "$modules/$module.ko" "$root/modules/"
done
cp "$(dirname "$modules")/fs/configfs/configfs.ko" "$root/modules/"
printf '%s\n' root:x:0:0::/:/bin/sh operator:x:1000:1000::/tmp:/bin/sh \
    outsider:x:1001:1001::/tmp:/bin/sh >"$root/etc/passwd"
printf '%s\n' root:x:0: lp:x:7:operator plugdev:x:46:operator operator:x:1000: \
    outsider:x:1001: >"$root/etc/group"
cp "$here/guest_cases.sh" "$root/cases.sh"
cat >"$root/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mkdir -p /proc /sys /dev /tmp
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
chmod 1777 /tmp
sh /cases.sh >/dev/ttyS1 2>&1
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | busybox cpio -o -H newc >../initramfs.cpio 2>/dev/null)
rm -rf "$root"

# boot SECONDS ACCEL INITRD APPEND OPTIONS...: one guest, ended by its own power-off
boot() {
    seconds=$1 accel=$2 initrd=$3 append=$4
    shift 4
    timeout "$seconds" qemu-system-x86_64 -accel "$accel" -m 512 -smp 1 -no-reboot \
        -nodefaults -display none -monitor none -kernel "$kernel" $initrd \
        -append "console=ttyS0 panic=-1 $append" "$@"
}

# KVM where it opens and a guest runs on it (in some nested virtual machines a
# guest hangs there without a word): tried once, the answer kept in the cache.
accel=tcg
if [ -c /dev/kvm ] && (exec 3<>/dev/kvm) 2>/dev/null; then
    if [ ! -e "$cache/kvm.tried" ]; then
        # With no root file system the kernel panics within a second or two.
        boot 15 kvm "" "" -serial "file:$cache/kvm.log" >/dev/null 2>&1 || true
        grep -q 'Kernel panic' "$cache/kvm.log" 2>/dev/null && echo kvm >"$cache/kvm.tried" ||
            echo tcg >"$cache/kvm.tried"
    fi
    accel=$(cat "$cache/kvm.tried")
fi

rm -f "$out/ports.log" "$out/guest.log" "$out/console.log" "$out/usb-serial.out"
started=$(date +%s)
# Made in this order, the ports are found by the kernel 0x378 first: parport0,
# as on a PC.
# No local APIC: the guest's timer then makes no writes, so tracing every
# write (for the port addresses) stays cheap. No I/O delay: nothing but the
# cases writes to port 0x80. QEMU's usb-serial, an FTDI chip with no bit-bang
# mode, waits on the UHCI controller until the guest loads its driver.
boot 170 "$accel" "-initrd $out/initramfs.cpio" "quiet loglevel=1 nolapic io_delay=none" \
    -serial "file:$out/console.log" -serial "file:$out/guest.log" \
    -chardev null,id=lpt2 -device isa-parallel,index=1,iobase=0x278,irq=5,chardev=lpt2 \
    -chardev null,id=lpt1 -device isa-parallel,index=0,iobase=0x378,irq=7,chardev=lpt1 \
    -usb -chardev "file,id=serial,path=$out/usb-serial.out" -device usb-serial,chardev=serial \
    -trace parallel_ioport_write -trace memory_region_ops_write -D "$out/ports.log"
echo "guest ($accel) booted, ran its cases and powered off in $(($(date +%s) - started)) s"
