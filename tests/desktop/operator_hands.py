"""The operator's hands and eyes on a real X desktop (run_on_desktop.sh): the
program started as a process, its buttons found through the accessibility bus
the way a screen reader finds them, and clicked or typed at with real key and
pointer events through the X server (xdotool, XTEST). Nothing here reaches into
the program; results are read from outside: windows on screen, files, a
--listen SCPI client."""

import os
import socket
import subprocess
import tempfile
import time

import pyatspi

BIN = os.environ["QV4130_BIN"]
PATIENCE = 20.0  # seconds a loaded machine may take to show a window


def wait_for(what, condition, patience=PATIENCE):
    """Polls every 0.1 s until condition() is true (then returns it), else fails."""
    deadline = time.monotonic() + patience
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"{what}: not within {patience} s")
        time.sleep(0.1)


def output(*command, timeout=30):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout).stdout


def xdotool(*arguments):
    return output("xdotool", *arguments)


def windows_on_screen():
    """The titles of the mapped top-level windows, as the window manager lists them."""
    found = output("xprop", "-root", "_NET_CLIENT_LIST").split("#")[-1].replace(",", " ")
    return [xdotool("getwindowname", str(int(window, 16))).strip()
            for window in found.split() if window.startswith("0x")]


def frame_of(window_id):
    """The window's outer rectangle (left, top, right, bottom) on the screen."""
    info = output("xwininfo", "-id", window_id).splitlines()
    fields = dict(line.strip().split(": ", 1) for line in info if ": " in line)
    left, top = int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"])
    right, bottom = left + int(fields["Width"]), top + int(fields["Height"])
    # The window manager's frame around it: left, right, top, bottom.
    extents = output("xprop", "-id", window_id, "_NET_FRAME_EXTENTS").split("=")[1:]
    l, r, t, b = (int(n) for n in extents[0].split(",")) if extents else (0, 0, 0, 0)
    return left - l, top - t, right + r, bottom + b


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Program:
    """qv4130 as the operator starts it, with a trace and a --listen port."""

    def __init__(self, *arguments, library_dir=None):
        self.folder = tempfile.TemporaryDirectory()
        self.trace = os.path.join(self.folder.name, "run.vcd")
        self.port = free_port()
        # The port library beside the program, or the one in library_dir: a
        # sanitizer's dlopen does not search the program's own RUNPATH, so say
        # where it lies.
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           LD_LIBRARY_PATH=library_dir or BIN)
        self.stderr = open(os.path.join(self.folder.name, "stderr"), "w+")
        served = ["--trace", self.trace, "--listen", f"127.0.0.1:{self.port}"]
        self.process = subprocess.Popen(
            [os.path.join(BIN, "qv4130"), *arguments,
             *(served if "--virtual-board" in arguments or library_dir else [])],
            stdout=subprocess.DEVNULL, stderr=self.stderr, env=environment)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)
        self.stderr.close()
        self.folder.cleanup()

    def ended(self, patience=PATIENCE):
        """Its exit status, once it has ended."""
        wait_for("the program to end", lambda: self.process.poll() is not None, patience)
        return self.process.returncode

    # The accessibility tree: the program's own application object.
    def application(self):
        def find():
            for app in pyatspi.Registry.getDesktop(0):
                try:
                    if app is not None and app.get_process_id() == self.process.pid:
                        return app
                except Exception:  # an application going away as we look
                    continue
        return wait_for("the program on the accessibility bus", find)

    def control(self, role, name):
        """The showing control of that role and accessible name, once there."""
        def find():
            matches = pyatspi.findAllDescendants(
                self.application(),
                lambda node: node.getRoleName() == role and node.name == name
                and node.getState().contains(pyatspi.STATE_SHOWING))
            return matches[0] if matches else None
        return wait_for(f"{role} '{name}' on screen", find)

    def click(self, name, role="push button"):
        """Moves the pointer onto the control and clicks it with the left button,
        once its place on the screen holds still: a window the window manager is
        still placing reports where it was, and the click would miss."""
        component = self.control(role, name).queryComponent()

        def settled():
            before = component.getExtents(pyatspi.DESKTOP_COORDS)
            time.sleep(0.2)
            after = component.getExtents(pyatspi.DESKTOP_COORDS)
            place = (after.x, after.y, after.width, after.height)
            return after if place == (before.x, before.y, before.width, before.height) else None
        extents = wait_for(f"'{name}' to hold still", settled)
        xdotool("mousemove", "--sync", str(extents.x + extents.width // 2),
                str(extents.y + extents.height // 2))
        xdotool("click", "1")

    def window(self, title):
        """Waits for the window with that exact title and gives it the keyboard."""
        found = wait_for(f"window '{title}'", lambda: xdotool(
            "search", "--onlyvisible", "--name", f"^{title}$").split())
        xdotool("windowactivate", "--sync", found[0])
        return found[0]

    def keys(self, *keys):
        xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        xdotool("type", "--delay", "30", text)

    def scpi(self, line):
        """One line to the program's SCPI server; the reply, if the line asks."""
        def connect():
            try:
                return socket.create_connection(("127.0.0.1", self.port), timeout=10)
            except ConnectionRefusedError:  # not listening yet: start-up is still going
                return None
        with wait_for("the program's SCPI server", connect) as client:
            client.sendall(line.encode() + b"\n*OPC?\n")
            reply = b""
            while not reply.endswith(b"1\n"):
                chunk = client.recv(4096)
                if not chunk:
                    break
                reply += chunk
        return reply.decode()[:-2].strip()


def decoded_words(trace):
    """The 18-bit words on DIN, as sigrok-cli's SPI decoder reads the trace."""
    decoded = subprocess.run(
        ["sigrok-cli", "-I", "vcd:compress=10000", "-i", trace, "-P",
         "spi:clk=SCLK:mosi=DIN:cs=SYNC:cs_polarity=active-low:cpol=1:cpha=1:wordsize=18",
         "-A", "spi=mosi-data"], capture_output=True, text=True, timeout=120, check=True).stdout
    return [int(line.split(": ")[1], 16) for line in decoded.splitlines()
            if line.startswith("spi-1: ")]
