"""qv4130ctl characterise as an operator runs it: on the virtual board with its
simulated meter, on a served board with the meter served beside it, against
meters and a server on loopback that misbehave; off a terminal, with no progress
line to corrupt what it prints."""

import contextlib
import csv
import os
import re
import resource
import signal
import socket
import subprocess
import tempfile
import threading
import time
import unittest

CTL = os.environ["QV4130CTL"]


def ctl(*arguments, status=0, **options):
    """qv4130ctl run to its end, which must come with the exit status given."""
    result = subprocess.run([CTL, *arguments], capture_output=True, text=True, timeout=60,
                            check=False, **options)
    if result.returncode != status:
        raise AssertionError(f"exit status {result.returncode}, not {status}: {result.stderr}")
    return result


def read_csv(path):
    """The rows, as a reader that skips the # lines a run may end its CSV with."""
    with open(path, newline="", encoding="ascii") as file:
        return list(csv.DictReader(line for line in file if not line.startswith("#")))


def csv_notes(path):
    """The # lines after the rows: how the run ended, when not whole."""
    with open(path, encoding="ascii") as file:
        return re.findall(r"^#.*", file.read().split("\ncode,", 1)[1], re.M)


SUSPECT = "the readings do not follow the codes: is the meter on channel {}'s output?"


HANG_UP = object()


class Drip(str):
    """A reply sent a byte every half second, as a meter on a failing link might."""


def serve(listener, answer):
    connection, _ = listener.accept()
    connection.settimeout(30)
    # A client that gives up on an endless reply closes on the rest of it.
    with connection, connection.makefile("rw", newline="\n") as stream, \
            contextlib.suppress(OSError):
        for line in stream:
            reply = answer(line.strip())
            if reply is HANG_UP:
                return
            for part in ([] if reply is None else
                         reply + "\n" if isinstance(reply, Drip) else [reply + "\n"]):
                stream.write(part)
                stream.flush()
                time.sleep(0.5 if isinstance(reply, Drip) else 0)


@contextlib.contextmanager
def loopback_peer(answer):
    """A SCPI peer on 127.0.0.1 for one client, until the `with` it is made in
    ends, giving its port: `answer` gives each line's reply (None: none,
    HANG_UP: the peer hangs up, a Drip: sent a byte at a time)."""
    with socket.create_server(("127.0.0.1", 0)) as listener:
        listener.settimeout(30)
        thread = threading.Thread(target=serve, args=(listener, answer), daemon=True)
        thread.start()
        yield listener.getsockname()[1]
        thread.join(timeout=30)


def loopback_meter(volts, fault=None):
    """A meter whose n-th reading (from 1) is volts(n); at its 6th, `fault` strikes
    as real meters fail: no answer, an answer dripping in, an error queued, garbage,
    not a number, off its range, a hang-up, or a line without end."""
    given, queued = 0, False

    def answer(line):
        nonlocal given, queued
        query = line.upper()
        if query == "READ?":
            given += 1
            if given == 6 and fault:
                queued = fault == "error"
                if not queued:
                    return {"silent": None, "drip": Drip("+1.0E-3"),
                            "garbage": "\x1b[2J\x7f#garbage", "nan": "NAN",
                            "overload": "+9.9E+37", "hang up": HANG_UP,
                            "endless": "7" * 200_000}[fault]
            return f"{volts(given):+.9E}"
        if query == "SYST:ERR?":
            return '-113,"Undefined header"' if queued else '+0,"No error"'
        return "0" if query.endswith("?") else None

    return loopback_peer(answer)


class CharacteriseTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        self.csv = os.path.join(self.folder.name, "run.csv")

    def test_runs_on_the_virtual_board(self):
        cases = [
            # arguments after --channel 3, codes in the CSV, channel 3 afterwards
            ("", list(range(4096)), 1000),
            ("--meas --from 4000 --to 10 --step 1000 --end-code 7",
             [10, 1000, 2000, 3000, 4000], 7),
        ]
        for extra, codes, after in cases:
            with self.subTest(extra=extra):
                result = ctl("--virtual-board", "write", "3", "1000", "characterise",
                             "--channel", "3", *extra.split(), "--csv", self.csv, "status")
                self.assertEqual(result.stderr, "")
                self.assertNotIn("\r", result.stdout)
                # The figures, then where status finds the channel.
                self.assertRegex(result.stdout, r"^channel 3, \d+ codes\noffset: -?\d+\.\d+ LSB\n"
                                 r"gain error: .*\nINL \(end-point\): .*\nINL \(best-fit\): .*\n"
                                 rf"DNL: .*\nmonotonic: (yes|no.*)\n(.*\n)*channel 3: {after}\n")
                rows = read_csv(self.csv)
                self.assertEqual([int(row["code"]) for row in rows], codes)
                self.assertEqual(rows[0]["dnl_lsb"], "")
                # The run's record above the rows, and no note of a run cut short below.
                with open(self.csv, encoding="ascii") as file:
                    notes = "\n".join(line for line in file.read().split("\n") if line[:1] == "#")
                self.assertRegex(notes, r"^# qv4130 characterisation of channel 3, "
                                 r"\d{4}-\d\d-\d\d \d\d:\d\d\n# meter: QV4130,Simulated DMM,0,1.0\n"
                                 r"# reference: 2.5 V over 4096 codes\n"
                                 r"# settle: 0 us; readings per code: 1$")

    def test_the_board_s_reference_and_seed_shape_what_is_measured_here_and_served(self):
        runs = []
        for seed, ideal in (("5", []), ("6", []), ("6", ["--ideal-vref", "2.5"])):
            png = os.path.join(self.folder.name, f"{len(runs)}.png")
            result = ctl("--virtual-board", "--vref", "3.3", "--analog-seed", seed, "characterise",
                         "--channel", "1", "--step", "512", *ideal, "--csv", self.csv, "--png", png)
            with open(png, "rb") as image:
                runs.append((result.stdout, read_csv(self.csv), image.read()))
        self.assertNotEqual(runs[0][1], runs[1][1])
        top = float(runs[1][1][-1]["volts"])
        self.assertAlmostEqual(top, 3.3 * 4095 / 4096, delta=8 * 3.3 / 4096)
        # The ideal follows the board's reference: only the drawn faults remain.
        gain = re.search(r"^gain error: (\S+) LSB", runs[1][0], re.M)
        self.assertLess(abs(float(gain.group(1))), 4.0, runs[1][0])
        # Another ideal named: the CSV's and the plots' ideal line are both its.
        self.assertNotEqual(runs[1][1], runs[2][1])
        self.assertEqual(runs[2][2][:8], b"\x89PNG\r\n\x1a\n")
        self.assertTrue(runs[1][2] != runs[2][2], "the plots show no reference")

        # The same board served, with its simulated meter beside it: the same run,
        # its ideal reckoned with the reference the server gives.
        server = subprocess.Popen([CTL, "--virtual-board", "--vref", "3.3", "--analog-seed", "6",
                                   "write", "1", "1234", "serve", "--listen", "127.0.0.1:0",
                                   "--meter-listen", "127.0.0.1:0"], stdout=subprocess.PIPE,
                                  text=True)
        self.addCleanup(server.wait, 10)
        self.addCleanup(server.terminate)
        # The board's address, then the simulated meter's, as serve prints them.
        board, meter = (re.search(r"serving SCPI on (127\.0\.0\.1:(\d+))$", server.stdout.readline())
                        for _ in range(2))
        # Left on another channel: characterise closes channel 1 itself.
        with socket.create_connection(("127.0.0.1", int(meter[2])), timeout=10) as dmm:
            dmm.sendall(b"ROUT:CLOS (@7);*IDN?\n")
            self.assertIn(b"Simulated DMM", dmm.recv(100))
        result = ctl("--connect", board[1], "characterise", "--meter", meter[1], "--channel", "1",
                     "--step", "512", "--csv", self.csv)
        self.assertEqual((result.stdout, read_csv(self.csv)), runs[1][:2])
        # The served board's channel is left at the code it had.
        self.assertEqual(ctl("--connect", board[1], "scpi", "SOUR:CHAN1:CODE?").stdout, "1234\n")

    def test_noise_on_the_readings_averages_out(self):
        # 4 LSB of noise on each reading, 16 readings a code: the codes' volts spread
        # a quarter of that about the quiet board's, and no further off on average.
        volts = []
        for noise, average in (("0", "1"), ("4", "16")):
            ctl("--virtual-board", "--analog-noise", noise, "characterise", "--channel", "1",
                "--step", "16", "--average", average, "--csv", self.csv)
            volts.append([float(row["volts"]) for row in read_csv(self.csv)])
        off = [(v - q) * 4096 / 2.5 for v, q in zip(volts[1], volts[0])]
        self.assertAlmostEqual(sum(off) / len(off), 0.0, delta=0.2)
        self.assertAlmostEqual((sum(d * d for d in off) / len(off)) ** 0.5, 1.0, delta=0.2)

    def test_plots_that_cannot_be_written_fail_the_run_and_leave_the_csv(self):
        # (What a file's path may hold, a device node included: files/WholeFileTest.cpp.)
        path = os.path.join(self.folder.name, "no such folder", "plots.png")
        result = ctl("--virtual-board", "characterise", "--channel", "1", "--step", "256",
                     "--csv", self.csv, "--png", path, status=1)
        self.assertEqual(len(read_csv(self.csv)), 17)
        self.assertIn(f"characterise: can't write {path}", result.stderr)

    def test_a_run_that_fails_leaves_the_old_csv_as_it_was(self):
        def full_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # a failed write, not a killed run
            resource.setrlimit(resource.RLIMIT_FSIZE, (2000, 2000))

        cases = [("no meter answers", ["--meter", "127.0.0.1:1"], None),
                 ("the disk fills up mid-CSV", [], full_disk)]
        for what, extra, limit in cases:
            with self.subTest(what):
                with open(self.csv, "w", encoding="ascii") as old:
                    old.write("code,volts\n7,1.5\n")
                ctl("--virtual-board", "characterise", "--channel", "1", "--step", "16", *extra,
                    "--csv", self.csv, preexec_fn=limit, status=1)
                self.assertEqual(read_csv(self.csv), [{"code": "7", "volts": "1.5"}])
                self.assertEqual(os.listdir(self.folder.name), ["run.csv"])

    def test_a_meter_that_fails_ends_the_run_with_one_line(self):
        # A reply dripping in is as late as none: the time-out is the whole answer's.
        cases = [("drip", r"did not answer READ\?: no answer within 2000 ms"),
                 ("error", r'reports error -113,"Undefined header" after READ\?'),
                 # Shown escaped, never sent raw to the operator's terminal.
                 ("garbage", r'answered READ\? with "\\x1B\[2J\\x7F#garbage", not a reading'),
                 ("nan", r'answered READ\? with "NAN", not a reading'),
                 ("overload", r"is overloaded: the output is off its range"),
                 ("hang up", r"did not answer READ\?: the other end closed the connection"),
                 ("endless", r"did not answer READ\?: sent \d+ bytes without ending its line")]
        for fault, reason in cases:
            with self.subTest(fault):
                # Two readings a code: the 6th is the 3rd code's second.
                with loopback_meter(lambda n: n * 1e-3, fault) as port:
                    result = ctl("--virtual-board", "write", "2", "321", "characterise",
                                 "--channel", "2", "--meter", f"127.0.0.1:{port}",
                                 "--from", "100", "--average", "2", "--timeout", "2000",
                                 "--csv", self.csv, "status", status=1)
                # status never ran (the command before it failed), and the virtual board
                # goes with the process: the message is what tells where the channel is.
                self.assertRegex(result.stderr, rf"^qv4130ctl: characterise: meter 127\.0\.0\.1:"
                                 rf"{port} {reason}; 2 codes kept in {re.escape(self.csv)}; "
                                 r"channel 2 back at 321\n$")
                self.assertEqual([row["code"] for row in read_csv(self.csv)], ["100", "101"])
                partial = "partial: stopped after code 101 of 100..4095 (2 of 3996 codes)"
                self.assertEqual(csv_notes(self.csv), ["# " + partial])
                self.assertTrue(result.stdout.startswith(
                    partial + "; the figures are of those codes only\nchannel 2, 2 codes\n"),
                    result.stdout)

    def test_ctrl_c_sigterm_and_sighup_stop_the_run_and_keep_what_it_measured(self):
        # 5 ms per code: the whole channel would take 20 s. A minute's settle (or
        # a thousand readings a code) must not keep the signal waiting either.
        cases = [(signal.SIGTERM, ["--settle", "5"]),
                 (signal.SIGHUP, ["--settle", "5", "--average", "1000"]),
                 (signal.SIGINT, ["--from", "7", "--settle", "60000"])]
        for sent, extra in cases:
            with self.subTest(signal=sent.name, extra=extra):
                with subprocess.Popen([CTL, "--virtual-board", "write", "4", "99", "characterise",
                                       "--channel", "4", *extra, "--csv", self.csv],
                                      stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                      text=True) as run:
                    time.sleep(0.5)
                    run.send_signal(sent)
                    out, errors = run.communicate(timeout=10)
                self.assertEqual(run.returncode, 1, errors)
                kept = len(read_csv(self.csv))
                self.assertLess(kept, 4096)
                self.assertTrue(errors.startswith(f"qv4130ctl: characterise: stopped; {kept} codes "
                                                  f"kept in {self.csv}; channel 4 back at 99"),
                                errors)
                if kept == 0:  # stopped in the first code's settle time
                    continue
                partial = f"partial: stopped after code {kept - 1} of 0..4095 ({kept} of 4096 codes)"
                self.assertTrue(out.startswith(f"{partial}; the figures are of those codes only\n"
                                               f"channel 4, {kept} codes\n"), out)
                self.assertEqual(csv_notes(self.csv), ["# " + partial])

    def test_readings_that_do_not_follow_the_codes_give_no_figures(self):
        # Flat within its noise; which readings count as following is LinearityTest's.
        with loopback_meter(lambda n: 1.2 + 0.4e-3 * ((n * 7919) % 13 - 6)) as port:
            result = ctl("--virtual-board", "characterise", "--channel", "2", "--step", "256",
                         "--meter", f"127.0.0.1:{port}", "--csv", self.csv, status=1)
        self.assertEqual(result.stdout, "")
        self.assertEqual(result.stderr, f"qv4130ctl: characterise: {SUSPECT.format(2)}; "
                         f"17 codes kept in {self.csv}; channel 2 back at 0\n")
        rows = read_csv(self.csv)
        self.assertEqual(len(rows), 17)
        self.assertEqual(csv_notes(self.csv), ["# suspect: " + SUSPECT.format(2)])
        # A flat line's slope is rounding's, not a step to measure in:
        # no figure may stand beyond the codes' own span.
        figures = ("error_lsb", "inl_endpoint_lsb", "inl_bestfit_lsb", "dnl_lsb")
        self.assertLess(max(abs(float(row[f] or 0)) for row in rows for f in figures), 2 * 4096)

    def test_a_reference_no_chip_takes_is_refused(self):
        for vref in ("1e308", "nan", "1e-300"):
            with self.subTest(vref):
                def answer(line, vref=vref):
                    if line == "*OPC?;SOUR:VREF?":
                        return "1;" + vref
                    return '+0,"No error"' if line == "SYST:ERR?" else HANG_UP

                with loopback_peer(answer) as port:
                    result = ctl("--connect", f"127.0.0.1:{port}", "characterise", "--channel",
                                 "2", "--meter", "127.0.0.1:1", "--csv", self.csv, status=1)
                self.assertRegex(result.stderr, r"^qv4130ctl: characterise: 127\.0\.0\.1:\d+ "
                                 r"gave (a reference of \S+ V, not one the chip takes|"
                                 r"no reference voltage)\n$")
                self.assertFalse(os.path.exists(self.csv))

    def test_usage_mistakes(self):
        cases = [
            ("--csv x.csv", "needs --channel"),
            ("--channel 16 --csv x.csv", "channel must be 0 to 15"),
            ("--channel 1 --to 4096 --csv x.csv", "last code"),
            ("--channel 1 --meter a:b:c --csv x.csv", "--meter takes"),
            ("--channel 1 --average 0 --csv x.csv", "one reading"),
            ("--channel 1 --volts 1 --csv x.csv", "no option --volts"),
            *((f"--channel 1 --ideal-vref {vref} --csv x.csv",
               "--ideal-vref takes the reference in volts, 0.5 V to 5 V")
              for vref in ("1e-300", "1e308")),
            ("--channel 1 --settle 86400000 --csv x.csv", "settle time is at most"),
        ]
        for arguments, reason in cases:
            with self.subTest(arguments=arguments):
                result = ctl("--virtual-board", "characterise", *arguments.split(), status=2)
                self.assertIn(reason, result.stderr)

if __name__ == "__main__":
    unittest.main()
