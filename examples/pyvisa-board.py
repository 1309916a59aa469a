#!/usr/bin/python3
"""Talks to the board's SCPI server with PyVISA: identifies it, writes a code to
channel 5 and reads it back.

    /usr/bin/python3 examples/pyvisa-board.py [HOST [PORT]]   (127.0.0.1 5025)

Debian's python3 has PyVISA from the packages python3-pyvisa and
python3-pyvisa-py; any other Python 3 gets them in a venv with
`pip install pyvisa pyvisa-py`. The server is `qv4130ctl serve` or
`qv4130 --listen 5025`.
"""

import sys
import time

import pyvisa

host = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
port = sys.argv[2] if len(sys.argv) > 2 else "5025"
resource = f"TCPIP0::{host}::{port}::SOCKET"

# "@py" is the pure-Python backend: no vendor's VISA library is needed.
manager = pyvisa.ResourceManager("@py")
# A server started a moment ago may not be listening yet: try for five seconds.
deadline = time.monotonic() + 5
while True:
    try:
        board = manager.open_resource(resource, read_termination="\n",
                                      write_termination="\n")
        break
    except pyvisa.errors.VisaIOError:
        if time.monotonic() > deadline:
            raise
        time.sleep(0.1)

print(board.query("*IDN?"))
board.write("SOUR:CHAN5:CODE 2560")
print(board.query("SOUR:CHAN5:CODE?"))
board.close()
