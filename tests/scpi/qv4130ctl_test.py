"""qv4130ctl as its users run it, on the virtual board: the command line with its
output and exit statuses, --connect against its server, and qv4130's server."""

import contextlib
import os
import re
import resource
import select
import signal
import socket
import subprocess
import tempfile
import threading
import time
import unittest

CTL = os.environ["QV4130CTL"]


def ctl(*arguments, **options):
    return subprocess.run([CTL, *arguments], capture_output=True, text=True, timeout=60,
                          check=False, **options)


def serve(test, *arguments):
    """qv4130ctl serving a virtual board on loopback until the test ends; its port."""
    server = subprocess.Popen([CTL, "--virtual-board", *arguments, "serve", "--listen",
                               "127.0.0.1:0"], stdout=subprocess.PIPE, text=True)
    test.addCleanup(server.stdout.close)
    test.addCleanup(server.wait, 10)
    test.addCleanup(server.terminate)
    return server, int(re.search(r"127\.0\.0\.1:(\d+)$", server.stdout.readline()).group(1))


def peer(test, *replies):
    """A server on loopback that answers a client's lines with `replies`, then hangs up."""
    server = socket.create_server(("127.0.0.1", 0))
    test.addCleanup(server.close)

    def answer():
        connection = server.accept()[0]
        with connection, connection.makefile("rwb") as lines:
            for reply in replies:
                lines.readline()
                lines.write(reply + b"\n")
                lines.flush()
    threading.Thread(target=answer, daemon=True).start()
    return f"127.0.0.1:{server.getsockname()[1]}"


def send_until_reset(client, text):
    with contextlib.suppress(OSError):
        client.sendall(text.encode())


def ask(client, line):
    """One line to a SCPI server; its one line of replies."""
    client.sendall(line.encode() + b"\n")
    return client.makefile("rb").readline().decode().strip()


class CommandLineTest(unittest.TestCase):
    def test_commands_and_exit_statuses(self):
        cases = [
            (["--virtual-board", "--port", "LPT2", "scpi", "syst:port?;*opc?"], 0, "LPT2\n1\n"),
            (["--virtual-board", "write", "16", "1"], 2,
             "write takes a channel 0-15 and a code 0-4095 (or 0x000-0xFFF)"),
            (["--virtual-board", "frob\x1b[2J\\"], 2, "unknown command 'frob\\x1B[2J\\x5C'"),
            (["--virtual-board"], 2, "no command given"),
            (["--virtual-board", "serve", "status"], 2, "must come last"),
            (["--port", "LPT3", "status"], 2, "--port takes"),
            (["--virtual-board", "serve", "--listen", "nowhere:1"], 2, "--listen takes"),
            (["--virtual-board", "--vref", "5.1", "status"], 2, "--vref takes"),
            # The instrument scales volts to the virtual board's own reference.
            (["--virtual-board", "--vref", "2.048", "scpi", "SOUR:CHAN2:VOLT 1.024",
              "status"], 0, "channel 2: 2048\n"),
            (["--virtual-board", "--analog-seed", "-1", "status"], 2, "--analog-seed takes"),
            (["--analog-noise", "1", "status"], 2, "--analog-noise sets the virtual board's"),
            (["--virtual-board", "--analog-noise", "101", "status"], 2, "--analog-noise takes"),
            (["--help"], 0, "SYSTem:ERRor[:NEXT]?"),
        ]
        for arguments, status, text in cases:
            with self.subTest(arguments=arguments):
                result = ctl(*arguments)
                self.assertEqual(result.returncode, status, result.stderr)
                self.assertIn(text, result.stdout + result.stderr)
                # A usage mistake in one line, then where the help is.
                if status:
                    self.assertRegex(result.stderr, r"\A.*\nTry 'qv4130ctl --help'\.\n\Z")

    def test_run_reads_only_regular_files_and_lines_of_bounded_length(self):
        with tempfile.TemporaryDirectory() as folder:
            fifo = os.path.join(folder, "fifo")
            os.mkfifo(fifo)
            cases = [
                ("/nonexistent", None, "run: can't read /nonexistent: No such file or directory"),
                (fifo, None, "run: can't read " + fifo + ": not a regular file (a FIFO)"),
                ("-", "/dev/zero", 'standard input, line 1: -223,"Too much data"'),
            ]
            # Endless input must end at the line bound, long before memory does. The
            # address sanitizer reserves terabytes of shadow: there the bound is
            # left to the time-out.
            def bound_memory():
                if not os.environ.get("QV4130_SANITIZED"):
                    resource.setrlimit(resource.RLIMIT_AS, (1 << 30,) * 2)
            for path, stdin, reason in cases:
                with self.subTest(path=path), open(stdin or os.devnull, "rb") as source:
                    result = ctl("--virtual-board", "run", path, stdin=source,
                                 preexec_fn=bound_memory)
                    self.assertEqual(result.returncode, 1, result.stderr)
                    self.assertEqual(result.stderr, "qv4130ctl: " + reason + "\n")

    def test_a_port_that_was_not_claimed_fails_every_command_that_needs_the_board(self):
        with tempfile.TemporaryDirectory() as home:
            config = os.path.join(home, "parllio.conf")
            with open(config, "w", encoding="ascii") as file:
                file.write("LPT1 = /dev/parport99\n")
            # The real port library beside the program, named for the sanitizers'
            # loader too, which does not read the program's RUNPATH.
            environment = {**os.environ, "HOME": home, "PARLLIO_CONFIG": config,
                           "LD_LIBRARY_PATH": os.path.dirname(CTL)}
            cases = [
                # Told at the command that failed, the commands after it not run.
                (["write", "1", "1", "status"], 1,
                 "qv4130ctl: write: the printer port is not claimed"),
                (["scpi", "*IDN?"], 0, "claim parallel port failed"),
                (["status"], 0, "port: LPT1 (0x378), not claimed"),
            ]
            for arguments, status, text in cases:
                with self.subTest(arguments=arguments):
                    result = ctl(*arguments, env=environment)
                    self.assertEqual(result.returncode, status, result.stderr)
                    # One line, with the library's reason: the cause told once.
                    self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                    self.assertIn("cannot open /dev/parport99", result.stderr)
                    self.assertIn(text, result.stdout + result.stderr)

    def test_serving_beyond_the_loopback_warns_first(self):
        # Every interface of a network namespace of the test's own: its loopback alone.
        if subprocess.run(["unshare", "--net", "true"], check=False).returncode != 0:
            self.skipTest("unshare --net is refused here (it needs root)")
        with subprocess.Popen(["unshare", "--net", CTL, "--virtual-board", "serve", "--listen",
                               "0.0.0.0:0"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True) as server:
            try:
                serving = server.stdout.readline()
            finally:
                server.terminate()
            self.assertRegex(serving, r"^qv4130ctl: serving SCPI on 0\.0\.0\.0:\d+$")
            self.assertRegex(server.stderr.readline(), r"^qv4130ctl: warning: listening on "
                             r"0\.0\.0\.0:0: anyone who can reach this address can drive")

    def test_a_traced_server_stopped_under_traffic_leaves_every_acknowledged_word(self):
        path = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"serve-{os.getpid()}.vcd")
        self.addCleanup(lambda: os.path.exists(path) and os.remove(path))
        for stop in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=stop.name):
                server, port = serve(self, "--trace", path)
                with socket.create_connection(("127.0.0.1", port), timeout=10) as client:
                    lines = "".join(f"SOUR:CHAN1:CODE {i % 4096};*OPC?\n" for i in range(20000))
                    sender = threading.Thread(target=send_until_reset, args=(client, lines),
                                              daemon=True)
                    sender.start()
                    replies = client.makefile("r", encoding="ascii")
                    acknowledged = 0
                    while acknowledged < 2000 and replies.readline() == "1\n":
                        acknowledged += 1
                    server.send_signal(stop)
                    # Stopping, the server closes on what it has not read: a reset.
                    with contextlib.suppress(ConnectionResetError):
                        for reply in replies:
                            acknowledged += reply == "1\n"
                self.assertEqual(server.wait(30), 0)
            # SCLK (idle high) falls 18 times a word; the trace ends on a time stamp, not cut off.
            with open(path, encoding="ascii") as trace:
                text = trace.read()
            self.assertTrue(text.rstrip().splitlines()[-1].startswith("#"))
            sclk = re.search(r"\$var wire 1 (\S+) SCLK ", text).group(1)
            self.assertGreaterEqual(len(re.findall(rf"^0{re.escape(sclk)}$", text, re.M)) // 18,
                                    acknowledged)
            self.assertGreaterEqual(acknowledged, 2000)


class BrokenPipeTest(unittest.TestCase):
    """Output nobody reads any more (`2>&1 | head -1` done) is lost, and nothing else."""

    def test_a_server_outlives_the_reader_of_its_output(self):
        # Both programs serve the board and its simulated meter, which reads that
        # same board: the windows' one in qv4130 (ProgramOnTheDesktop drives both).
        served = ["--virtual-board", "--listen", "127.0.0.1:0", "--meter-listen", "127.0.0.1:0"]
        servers = [[CTL, *served[:1], "serve", *served[1:]]]
        if os.environ.get("QV4130"):
            servers.append([os.environ["QV4130"], *served])
        soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        if soft < 2048 <= hard:
            resource.setrlimit(resource.RLIMIT_NOFILE, (2048, hard))
            self.addCleanup(resource.setrlimit, resource.RLIMIT_NOFILE, (soft, hard))
        for command in servers:
            with self.subTest(program=os.path.basename(command[0])):
                reading, writing = os.pipe()
                server = subprocess.Popen(command, stdout=writing, stderr=writing,
                                          env={**os.environ, "QT_QPA_PLATFORM": "offscreen"})
                # Killed on a failed check too, at the test's end, never waited for unbounded.
                self.addCleanup(server.wait, 10)
                self.addCleanup(server.kill)
                os.close(writing)
                # Both listening lines, read from the pipe itself: a buffered reader may
                # hold the second while select() waits on the pipe.
                printed, deadline, listening = b"", time.monotonic() + 30, []
                while len(listening) < 2:
                    left = deadline - time.monotonic()
                    self.assertTrue(left > 0 and select.select([reading], [], [], left)[0],
                                    "it never listened")
                    printed += os.read(reading, 4096) or self.fail("it ended before it listened")
                    listening = re.findall(rb"( \(simulated meter\))?: serving SCPI on "
                                           rb"127\.0\.0\.1:(\d+)\n", printed)
                os.close(reading)
                ports = {bool(meter): int(port) for meter, port in listening}
                with contextlib.ExitStack() as stack:
                    board, meter = (stack.enter_context(socket.create_connection(
                        ("127.0.0.1", ports[m]), timeout=10)) for m in (False, True))
                    # Full scale on the meter, then 0 V with the chip powered down.
                    self.assertEqual(ask(board, "SOUR:CHAN1:CODE 4095;OUTP?"), "1")
                    self.assertGreater(float(ask(meter, "ROUT:CLOS (@1);MEAS:VOLT:DC?")), 2.4)
                    self.assertEqual(ask(board, "OUTP OFF;OUTP?"), "0")
                    self.assertEqual(float(ask(meter, "READ?")), 0.0)
                    # A burst of 500 more while the server is stopped: the kernel completes
                    # each handshake while the listen queue has room; a SYN it drops is
                    # retried only a second later.
                    server.send_signal(signal.SIGSTOP)
                    clients = [stack.enter_context(socket.socket()) for _ in range(500)]
                    for client in clients:
                        client.setblocking(False)
                        client.connect_ex(("127.0.0.1", ports[False]))
                    time.sleep(0.5)
                    server.send_signal(signal.SIGCONT)
                    for client in clients:
                        client.settimeout(10)
                        client.getpeername()  # fails unless the handshake is complete
                    # The 501st is told so and let go, and the server says so
                    # on standard error, whose reader is gone; every other is served.
                    self.assertEqual(clients[-1].makefile("rb").read(), b'-300,"Device-specific '
                                     b'error;too many clients, try again later"\n')
                    for client in [board, *clients[:-1]]:
                        self.assertEqual(ask(client, "*OPC?"), "1")
                self.assertIsNone(server.poll(), "it died")
                server.terminate()
                self.assertEqual(server.wait(10), 0)

    def test_a_command_whose_output_is_not_taken_fails(self):
        reading, writing = os.pipe()
        os.close(reading)
        with os.fdopen(writing) as output:
            result = subprocess.run([CTL, "--virtual-board", "status"], stdout=output,
                                    stderr=subprocess.PIPE, text=True, timeout=60, check=False)
        self.assertEqual(result.returncode, 1)
        self.assertRegex(result.stderr, r"^qv4130ctl: can't write standard output(: .*)?\n$")


class ConnectTest(unittest.TestCase):
    """--connect against a real server on loopback: what the same commands give here."""

    def setUp(self):
        self.address = f"127.0.0.1:{serve(self)[1]}"

    def test_the_same_output_and_board_state_as_here(self):
        script = ("# channel 4 to 16\nOUTP ON # comment\n\nSOUR:CHAN4:CODE #H10 # hex, then a comment\n"
                  "SOUR:CHAN4:CODE?\r\nFOO\nOUTP OFF\n")
        # Each with what it shows here, which its commands' lines to the board make.
        cases = [
            (["write", "5", "0xA00", "step", "5", "-10", "status", "reset", "status"], 0,
             r"channel 5: 2550\n.*channel 5: 0\n"),
            (["scpi", "*IDN?;SOUR:CHAN2:CODE 7;SOUR:CHAN2:CODE?", "sweep", "status"], 0,
             r"\n7\n.*channel 2: 3072\n"),
            # It stops at its first error, which names the line.
            (["run", "-", "status"], 1,
             r'^16\nqv4130ctl: standard input, line 6: -113,"Undefined header"\n$'),
            (["scpi", "SOUR:CHAN3:CODE?;SOUR:CHAN5:CODE 4096", "status"], 1,
             r'^0\nqv4130ctl: scpi: -222,"Data out of range"\n$'),
            (["power", "off", "step", "1", "1"], 1,
             "^qv4130ctl: step: the chip is powered down; power it on first\n$"),
            (["power", "off", "status", "power", "on", "status"], 0, r"output: off\n.*output: on\n"),
        ]
        for arguments, status, shown in cases:
            with self.subTest(arguments=arguments):
                here = ctl("--virtual-board", *arguments, input=script)
                self.assertEqual(here.returncode, status, here.stderr)
                self.assertRegex(here.stdout + here.stderr, re.compile(shown, re.S))
                # The served board back to a fresh process's state first.
                self.assertEqual(ctl("--connect", self.address, "reset", "power", "on")
                                 .returncode, 0)
                there = ctl("--connect", self.address, *arguments, input=script)
                self.assertEqual((there.returncode, there.stdout, there.stderr),
                                 (here.returncode, here.stdout, here.stderr))

    def test_failures_in_one_line_and_a_peers_words_escaped(self):
        with socket.create_server(("127.0.0.1", 0)) as unused:
            refused = f"127.0.0.1:{unused.getsockname()[1]}"
        closing = peer(self)
        # What it prints, and what its error's line holds.
        cases = [
            ([refused, "status"], 1, "", f"{refused}: cannot connect: Connection refused"),
            ([closing, "write", "1", "1"], 1, "", f"write: {closing} did not answer: "),
            # A peer's control bytes reach the terminal escaped: in its replies, in its error.
            ([peer(self, b"1;\x1b[2J\x1b[31mowned\x07", b'0,"No error"'), "scpi", "*IDN?"], 0,
             "\\x1B[2J\\x1B[31mowned\\x07\n", ""),
            ([peer(self, b"1", b'-100,"\x1b[2Jowned"'), "scpi", "*IDN?"], 1, "",
             'qv4130ctl: scpi: -100,"\\x1B[2Jowned"'),
            ([self.address, "serve"], 2, "", "serve can't be sent with --connect"),
            ([self.address, "characterise", "--channel", "1", "--csv", "x.csv"], 2, "",
             "characterise with --connect needs --meter"),
            ([self.address, "--trace", "x.vcd", "status"], 2, "", "--trace is for a board of this"),
            (["a:b:c", "status"], 2, "", "--connect takes HOST[:PORT]"),
        ]
        for arguments, status, shown, told in cases:
            with self.subTest(arguments=arguments):
                result = ctl("--connect", *arguments)
                self.assertEqual((result.returncode, result.stdout), (status, shown), result.stderr)
                self.assertIn(told, result.stderr.partition("\n")[0])
                if status == 1:
                    self.assertEqual(result.stderr.count("\n"), 1, result.stderr)


if __name__ == "__main__":
    unittest.main()
