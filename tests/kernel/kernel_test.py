"""The printer port and the USB adapter through Debian's own kernel: the built
qv4130ctl, qv4130 and libparllio.so run in one QEMU guest (run_in_vm.sh,
guest_cases.sh). What reached the emulated printer ports is read back from QEMU's
log of their registers; what reached the adapter, from the log of the software
FTDI chip (ftdi_gadget.c) behind the real libftdi1, libusb and USB stack."""

import os
import re
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.environ["QV4130_GUEST_DIR"]
LPT1, LPT2 = 0x378, 0x278
DATA, CONTROL = 0, 2

# The kernel's claim through ppdev writes the control register twice (the
# port's saved state put back, its interrupt enabled); the program's "data
# lines out" write and the kernel's direction setting then write it twice more.
# The port is already forward, INIT and SELECT IN high, interrupt on: 0x1C.
CLAIMED = [(CONTROL, 0x1C)] * 2
LINES_OUT = [(CONTROL, 0x1C)] * 2
# Channel 5 given A00 (mode 0), 00 0101 1010 0000 0000: per bit, from the top,
# SCLK high with the data line low, SCLK falling with the bit on it, SCLK rising
# (the chip takes the bit); SYNC raised at the end. The bytes the board tests
# expect of this word.
WORD_05A00 = [byte for bit in f"{0x05A00:018b}"
              for byte in (0x12, 0x10 | int(bit), 0x12 | int(bit))] + [0x16]
IDLE = 0x16  # SYNC and SCLK high: the lines set once before a program's first word
WRITES_PER_WORD = len(WORD_05A00)


def port_writes(path):
    """{case number: [(port, register, value)]}: each parallel_ioport_write line
    (register offset and value) with the I/O address of the write traced just
    before it; the case numbers are the guest's writes to port 0x80."""
    cases, case, address = {}, 0, None
    write = re.compile(r"memory_region_ops_write .* addr (0x\w+) value (0x\w+) .* '([\w-]+)'$")
    port = re.compile(r"parallel_ioport_write write \[SW\] addr (0x\w+) val (0x\w+)$")
    with open(path, encoding="ascii") as log:
        for line in log:
            if found := write.match(line):
                value = int(found[2], 16)
                if found[3] == "ioport80" and value:
                    case = value
                address = int(found[1], 16)
            elif found := port.match(line):
                offset = int(found[1], 16)
                assert address is not None and address & 7 == offset, line
                cases.setdefault(case, []).append((address - offset, offset, int(found[2], 16)))
    return cases


def guest_cases(path):
    """{name: {"number", "stdout", "stderr", "usb", "seconds", "exit"}} from guest.log."""
    cases, current, part = {}, None, None
    with open(path, encoding="utf-8", errors="replace") as log:
        for line in log:
            if found := re.match(r"== case (\d+) (\S+)$", line):
                current = cases[found[2]] = {"number": int(found[1]), "stdout": "", "stderr": "",
                                             "usb": ""}
            elif found := re.match(r"-- (stdout|stderr|usb)$", line):
                part = found[1]
            elif found := re.match(r"-- seconds (\S+)$", line):
                current["seconds"] = float(found[1])
            elif found := re.match(r"== exit (\d+)$", line):
                current["exit"] = int(found[1])
            elif current is not None:
                current[part] += line
    return cases


def syscalls(strace_table):
    """{system call: count} from `strace -c`'s table."""
    counts = {}
    for line in strace_table.splitlines():
        fields = line.split()
        if len(fields) >= 5 and fields[0][0].isdigit() and fields[-1] != "total":
            counts[fields[-1]] = int(fields[3])
    return counts


class GuestTest(unittest.TestCase):
    """What the tests share: a case's guest output and what reached the ports."""

    def case(self, name):
        if name not in CASES:
            self.fail(f"the guest stopped before case {name}: see {OUT}")
        return CASES[name], WRITES.get(CASES[name]["number"], [])

    def on(self, writes, port):
        return [(register, value) for address, register, value in writes if address == port]

    def data(self, writes):
        return [value for register, value in self.on(writes, LPT1) if register == DATA]

    def failed_once(self, case, message):
        """The case failed, telling `message` in one line."""
        self.assertEqual((case["exit"], len(case["stderr"].splitlines())), (1, 1), case["stderr"])
        self.assertIn(message, case["stderr"])

    def took(self, name, at_least, under):
        self.assertTrue(at_least <= self.case(name)[0]["seconds"] < under, self.case(name)[0])

    def adapter(self, name):
        """The case, the bit modes asked for and the bulk-OUT transfers."""
        case, _ = self.case(name)
        modes, transfers = [], []
        for line in case["usb"].splitlines():
            kind, *data = line.split()
            (modes if kind == "bitmode" else transfers).append([int(byte, 16) for byte in data])
        return case, modes, transfers


class PrinterPortTest(GuestTest):
    def test_a_word_reaches_the_port_byte_for_byte(self):
        # lp-shared: the claim shared with the printer driver. Which port an
        # address reaches is the port library's unit tests' (tests/parllio).
        for name in ("write", "lp-shared"):
            with self.subTest(case=name):
                case, writes = self.case(name)
                self.assertEqual((case["exit"], case["stderr"]), (0, ""))
                self.assertEqual(self.data(writes), [IDLE] + WORD_05A00)
                self.assertEqual(self.on(writes, LPT2), [])
        _, writes = self.case("write")
        self.assertEqual(self.on(writes, LPT1),
                         CLAIMED + LINES_OUT + [(DATA, IDLE)] + [(DATA, b) for b in WORD_05A00])

    def test_the_program_starts_on_the_first_port(self):
        case, writes = self.case("program")
        self.assertEqual(case["exit"], 0)
        self.assertIn('box "Show Status", information: Windows Version:Failed\n'
                      "Port Address:0x378\n", case["stderr"])
        # In the start-up tests' order: the main window's load (lines out, then
        # powered up), start-up's own control write (0x1C & 0xD4), the status
        # box, then the board held in reset.
        self.assertEqual(self.on(writes, LPT1),
                         CLAIMED + LINES_OUT + [(DATA, 0x14), (CONTROL, 0x14), (DATA, 0x06)])
        self.assertEqual(self.on(writes, LPT2), [])

    def test_each_word_costs_its_port_writes_in_ioctls_and_nothing_else(self):
        one, thousand = (syscalls(self.case(name)[0]["stderr"])
                         for name in ("strace-1", "strace-1000"))
        print(f"\n1,000 words: {thousand['ioctl']:,} ioctls; one word: {one['ioctl']:,}",
              file=sys.stderr)
        self.assertEqual(thousand.pop("ioctl") - one.pop("ioctl"), 999 * WRITES_PER_WORD)
        # A call made per word would differ by 999 or more; a longer command
        # line may take the allocator a few more pages, once.
        self.assertEqual(thousand.keys(), one.keys())
        for call, count in thousand.items():
            self.assertLess(abs(count - one[call]), 16, call)


class UsbAdapterTest(GuestTest):
    def test_the_adapter_takes_the_same_bytes_as_a_printer_port(self):
        # Found by itself, the serial driver bound to it before the run and not
        # after (the devices bound to ftdi_sio, counted around the run); then
        # named by its serial number in parllio.conf.
        for name, stdout in (("usb-write", "1\n0\n"), ("usb-conf", "")):
            with self.subTest(case=name):
                case, modes, transfers = self.adapter(name)
                self.assertEqual((case["exit"], case["stdout"], case["stderr"]), (0, stdout, ""))
                self.assertEqual(modes, [[0x01, 0xFF]])  # asynchronous bit-bang, 8 outputs
                data = [byte for transfer in transfers for byte in transfer]
                self.assertEqual(data, [IDLE] + WORD_05A00)
                # Collected, not one transfer per write; how few depends on how
                # quickly the (here emulated) processor makes the bytes.
                print(f"\n{name}: {len(transfers)} transfers", file=sys.stderr)
                self.assertLess(len(transfers), 11)


class DroppedWordsTest(GuestTest):
    # A script's `|| exit` must fire when its words were dropped, and the cause
    # is told once, with what to do.
    CASES = [("outsider", "/dev/parport0: Permission denied (add the user to the 'lp' group", 0),
             ("held", "cannot claim /dev/parport0: the port is busy, held by 'ppdev0'", 0),
             ("usb-permission", "no permission to use the FTDI adapter 0403:6014 at /dev/bus", 0),
             # Unplugged after the first word: it arrived, the one after did not.
             ("usb-unplug", "stopped taking bytes", 1 + WRITES_PER_WORD),
             ("usb-serial", "cannot put the FTDI adapter 0403:6001", 0)]

    def test_dropped_words_are_a_failure_told_once(self):
        for name, advice, arrived in self.CASES:
            with self.subTest(case=name):
                case, modes, transfers = self.adapter(name)
                self.failed_once(case, advice)
                self.assertEqual(modes, [[0x01, 0xFF]] if arrived else [])
                if not name.startswith("usb-"):  # the printer port's writes
                    self.assertEqual(self.case(name)[1], [])
                self.assertEqual(sum(len(transfer) for transfer in transfers), arrived)
        self.assertIn("into bit-bang mode", self.case("usb-serial")[0]["stderr"])
        self.assertEqual(os.path.getsize(os.path.join(OUT, "usb-serial.out")), 0)
        self.took("held", 2.0, 6.0)  # the claim waits about two seconds for the holder


class UsbTmcMeterTest(GuestTest):
    """characterise with --meter /dev/usbtmc0: the kernel's usbtmc driver bound to
    the software meter (usbtmc_meter_gadget.c), whose k-th reading is 0.3125 (k - 1) V."""

    READINGS = [0.3125 * k for k in range(9)]  # channel 3 in steps of 512: 9 codes

    def meter(self, name):
        """The case, the SCPI the meter took in order, and the CSV's volts column."""
        case, _ = self.case(name)
        log = [line.partition(" ") for line in case["usb"].splitlines()]
        scpi = [text for kind, _, text in log if kind == "scpi"]
        _, _, csv = case["stdout"].partition("code,volts,")
        volts = [float(row.split(",")[1]) for row in csv.splitlines()[1:]
                 if not row.startswith("#")]
        return case, scpi, volts

    def test_a_run_keeps_exactly_the_meters_readings(self):
        for name in ("meter-run",  # each answer in one transfer
                     "meter-split"):  # in transfers of 8 bytes, the last marked end-of-message
            with self.subTest(case=name):
                case, scpi, volts = self.meter(name)
                self.assertEqual((case["exit"], case["stderr"]), (0, ""))
                self.assertEqual(volts, self.READINGS)
                self.assertEqual(scpi, ["*IDN?", "*CLS", "CONF:VOLT:DC", "SYST:ERR?"] +
                                 ["READ?", "SYST:ERR?"] * len(self.READINGS))

    def test_a_meter_that_never_answers_ends_the_run_in_one_line_naming_it(self):
        # The driver takes no time-out under 100 ms: 50 asked, 100 used.
        self.failed_once(self.meter("meter-short")[0], "meter /dev/usbtmc0 did not answer "
                         "READ?: no answer within 100 ms; 0 codes kept in /tmp/meter.csv")
        # The meter's time-out once, not the driver's own 5 s nor timeout(1)'s 20.
        self.took("meter-short", 0.1, 5.0)


def main():
    booted = subprocess.run(["sh", os.path.join(HERE, "run_in_vm.sh")], check=False)
    if booted.returncode == 77:
        sys.exit(77)  # run_in_vm.sh has said SKIPPED and why
    if booted.returncode != 0:
        print("the guest did not run to its end; the cases it ran are checked", file=sys.stderr)
    global CASES, WRITES
    CASES = guest_cases(os.path.join(OUT, "guest.log"))
    WRITES = port_writes(os.path.join(OUT, "ports.log"))
    checked = unittest.main(verbosity=2, exit=False).result
    sys.exit(0 if checked.wasSuccessful() and booted.returncode == 0 else 1)


if __name__ == "__main__":
    main()
