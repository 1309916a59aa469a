"""Stock PyMeasure drivers for bench DMMs against the virtual board's meter as
qv4130ctl serves it: each driver's DC volts reading, and its mode and range
read back where the driver has them."""

import os
import re
import subprocess
import unittest

from pymeasure.adapters import VISAAdapter
from pymeasure.instruments.agilent import Agilent34450A
from pymeasure.instruments.hp import HP34401A
from pymeasure.instruments.keithley import Keithley2000

CTL = os.environ["QV4130CTL"]
CHANNEL, CODE, VREF = 3, 1234, 2.5
# The model's faults are a few LSB; the reading must be the channel's output.
EXPECTED, WITHIN = CODE / 4096 * VREF, 20 * VREF / 4096


class SocketAdapter(VISAAdapter):
    """pyvisa-py's raw TCP socket, lines ended by '\\n', every wait at most 10 s.
    PyMeasure 0.9's adapter lacks the config() that its Keithley 2000 driver
    calls to ask for binary transfers; without it the driver reads ASCII."""

    def __init__(self, port):
        super().__init__(f"TCPIP::127.0.0.1::{port}::SOCKET", visa_library="@py",
                         read_termination="\n", write_termination="\n", timeout=10000)

    def config(self, **_):
        pass


def configure_34450a(meter):
    meter.configure_voltage()
    return meter.voltage


def configure_2000(meter):
    meter.mode = "voltage"
    return meter.voltage


# The driver; how it takes a DC volts reading; the mode it reads back; its
# range property. The Keithley 2000 driver reads its mode from CONF? in the
# Keithley's own form ("VOLT:DC"); this meter answers as the Keysight meters
# do ("VOLT +1.000000E+01,+1.000000E-05"), so only the 34450A's is read back.
DRIVERS = [
    (Agilent34450A, configure_34450a, "voltage", "voltage_range"),
    (Keithley2000, configure_2000, None, "voltage_range"),
    (HP34401A, lambda meter: meter.voltage_dc, None, None),
]


class PyMeasureDriverTest(unittest.TestCase):
    def setUp(self):
        self.server = subprocess.Popen(
            [CTL, "--virtual-board", "--vref", str(VREF), "write", str(CHANNEL), str(CODE),
             "serve", "--listen", "127.0.0.1:0", "--meter-listen", "127.0.0.1:0"],
            stdout=subprocess.PIPE, text=True)
        self.addCleanup(self.server.stdout.close)
        self.addCleanup(self.server.wait, 10)
        self.addCleanup(self.server.terminate)
        # The board's line, then the meter's: "...: serving SCPI on 127.0.0.1:PORT".
        printed = [self.server.stdout.readline() for _ in range(2)]
        self.meter_port = int(re.search(r":(\d+)$", printed[1])[1])

    def test_drivers_read_volts_mode_and_range(self):
        for driver, read_volts, mode, range_property in DRIVERS:
            with self.subTest(driver=driver.__name__):
                meter = driver(SocketAdapter(self.meter_port))
                self.addCleanup(meter.adapter.connection.close)
                meter.write(f"ROUT:CLOS (@{CHANNEL})")
                self.assertAlmostEqual(read_volts(meter), EXPECTED, delta=WITHIN)
                if mode:
                    self.assertEqual(meter.mode, mode)
                if range_property:
                    setattr(meter, range_property, 10)
                    self.assertEqual(getattr(meter, range_property), 10.0)
                self.assertEqual(meter.ask("SYST:ERR?").strip(), '0,"No error"')


if __name__ == "__main__":
    unittest.main()
