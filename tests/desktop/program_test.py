"""The real qv4130, started as an operator starts it and driven only as an
operator can: real clicks and keys on an X desktop with a window manager. Each
case reads its result from outside: the windows on screen, files saved, the
trace decoded by sigrok-cli, the board through --listen."""

import os
import signal
import subprocess
import unittest

import pyatspi

from operator_hands import (Program, decoded_words, frame_of, free_port, wait_for,
                            windows_on_screen, xdotool)

CHANNEL = 3
END_CODE = 1234
CHARACTERISE = "QV4130 Characterise"


def word(channel, code):
    return (channel << 12) | code  # a write: mode 0 in the top two bits


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


class ProgramOnTheDesktop(unittest.TestCase):
    def start(self, *arguments, library_dir=None):
        program = Program(*arguments, library_dir=library_dir)
        self.addCleanup(program.close)
        return program

    def open_characterise(self, program, how):
        program.window("QV4130 Virtual Board")
        if how == "click":
            program.click("Characterise\u2026")
        else:
            program.keys("alt+c")
        program.window(CHARACTERISE)

    def set_field(self, program, access_key, value):
        program.keys(f"alt+{access_key}", "ctrl+a")
        program.type(str(value))

    def start_run(self, program, to_code, settle_ms):
        program.window(CHARACTERISE)
        self.set_field(program, "h", CHANNEL)
        self.set_field(program, "t", to_code)
        self.set_field(program, "l", settle_ms)
        program.keys("alt+s")

    def save_through_dialog(self, program, title, path):
        program.window(title)
        program.type(path)
        program.keys("Return")
        return wait_for(f"{path} written", lambda: os.path.exists(path) and os.path.getsize(path))

    def test_a_whole_characterisation_from_the_panel(self):
        # The panel's button by click and by its access key, each beside a window
        # the main window opened (Mode 2, Mode 1, About), which blocks the main
        # window and nothing else; and with the meter the program itself serves,
        # read over TCP as a bench meter is (the window waits on it off the thread
        # that serves it).
        for how, key, served in (("click", "2", False), ("alt+c", "1", False),
                                 ("alt+c", "a", True)):
            with self.subTest(how=how, key=key, served=served):
                meter = f"127.0.0.1:{free_port()}"
                program = self.start("--virtual-board", *(["--meter-listen", meter] if served
                                                          else []))
                program.scpi(f"SOUR:CHAN{CHANNEL}:CODE {END_CODE}")
                program.window("QV4130")
                program.keys(f"alt+{key}")
                program.window({"a": "About QV4130"}.get(key, f"Mode {key} Operation"))
                self.open_characterise(program, how)
                frames = {title: frame_of(program.window(title))
                          for title in ("QV4130", "QV4130 Virtual Board", CHARACTERISE)}
                self.assertFalse(any(overlap(frames[CHARACTERISE], frames[other])
                                     for other in ("QV4130", "QV4130 Virtual Board")), frames)
                # Shorter than its settings and plots stacked, as on a laptop's
                # screen: it takes the size and scrolls.
                xdotool("windowsize", "--sync", program.window(CHARACTERISE), "500", "600")
                _, top, _, bottom = frame_of(program.window(CHARACTERISE))
                self.assertLess(bottom - top, 700)

                if served:
                    program.window(CHARACTERISE)
                    self.set_field(program, "m", meter)
                self.start_run(program, 255, 0)
                csv = os.path.join(program.folder.name, "run.csv")
                wait_for("the run's end", lambda: program.control(
                    "push button", "Save CSV\u2026").getState().contains(
                        pyatspi.STATE_ENABLED))
                self.assertEqual(program.scpi(f"SOUR:CHAN{CHANNEL}:CODE?"), str(END_CODE))
                program.keys("alt+c")
                self.save_through_dialog(program, "Save CSV", csv)
                with open(csv) as rows:
                    codes = [line.split(",")[0] for line in rows if line[:1].isdigit()]
                self.assertEqual(codes, [str(code) for code in range(256)])

                program.process.send_signal(signal.SIGTERM)
                self.assertEqual(program.ended(), 0)
                run = [w for w in decoded_words(program.trace) if (w >> 12) & 0xF == CHANNEL]
                self.assertEqual(run[1:257], [word(CHANNEL, code) for code in range(256)])
                self.assertEqual(run[-1], word(CHANNEL, END_CODE))

    def test_save_trace_from_the_panel(self):
        program = self.start("--virtual-board")
        program.scpi("SOUR:CHAN5:CODE 2560")
        program.window("QV4130 Virtual Board")
        program.click("Save Trace\u2026")
        saved = os.path.join(program.folder.name, "saved.vcd")
        self.save_through_dialog(program, "Save Trace", saved)
        self.assertIn(word(5, 2560), decoded_words(saved))

    def test_ending_mid_run_writes_the_end_code(self):
        # Quit as the design has it ends at once; a characterisation still
        # running first puts its channel back. So do Ctrl+C and a service stop.
        for how in ("Quit", signal.SIGINT, signal.SIGTERM):
            with self.subTest(how=str(how)):
                program = self.start("--virtual-board")
                program.scpi(f"SOUR:CHAN{CHANNEL}:CODE {END_CODE}")
                self.open_characterise(program, "alt+c")
                self.start_run(program, 4095, 5)
                wait_for("the run under way", lambda: program.scpi(
                    f"SOUR:CHAN{CHANNEL}:CODE?") not in ("", str(END_CODE)))
                if how == "Quit":
                    program.window("QV4130")
                    program.click("Quit")
                else:
                    program.process.send_signal(how)
                self.assertEqual(program.ended(), 0)
                run = [w for w in decoded_words(program.trace) if (w >> 12) & 0xF == CHANNEL]
                self.assertGreater(len(run), 2)
                self.assertEqual(run[-1], word(CHANNEL, END_CODE))

    def test_the_operators_flows_on_a_board_that_cannot_be_read(self):
        # What the windows did is known to a SCPI client though the board cannot be
        # read back, and what a client did shows in the window.
        program = self.start(library_dir=os.environ["QV4130_BLIND_LIBRARY_DIR"])
        program.window("QV4130")
        program.keys(*["Tab"] * 6, "Return")  # the sweep: the seventh stop, keys only
        for key in ("Down", "r"):  # the menu: Alt alone, then Down or R
            program.keys("alt", key)
            program.control("menu item", "LPT1")
            program.keys("Escape", "Escape")
        self.assertEqual(program.scpi("SOUR:CHAN9:CODE?"), "3072")
        program.scpi("SOUR:CHAN0:CODE 5")
        program.keys("alt+r", "alt+r")  # each Alt+R presses Reset, though the menu shares the R
        self.assertEqual(program.scpi("SOUR:CHAN0:CODE?"), "0")

        program.click("Power Down QV4130")
        program.control("push button", "Power Up QV4130")  # the caption names the next click
        self.assertEqual(program.scpi("OUTP?"), "0")
        program.keys("alt+1")
        program.control("label", "The QV4130 must be Powered Up to proceed")
        program.keys("Return")
        # About, powered down too: OK has the focus and is the default button (Enter
        # on the icon presses it) and the cancel button; Alt+S looks for System
        # Information.
        for keys in (("Tab", "Return"), ("alt+s", "Escape")):
            program.window("QV4130")
            program.keys("alt+a")
            program.window("About QV4130")
            program.control("label", "Version 2.0.1")
            self.assertTrue(program.control("push button", "OK").getState().contains(
                pyatspi.STATE_FOCUSED))
            program.keys(keys[0])
            if keys[0] == "alt+s":
                program.control("label", "System Information Is Unavailable At This Time")
                program.keys("Return")
                program.window("About QV4130")
            program.keys(keys[1])
            wait_for("About to close", lambda: "About QV4130" not in windows_on_screen())

        program.scpi("OUTP ON;:SYST:PORT LPT2")
        program.control("push button", "Power Down QV4130")
        item = pyatspi.findDescendant(program.application(), lambda node: node.name == "LPT2")
        wait_for("the mark on LPT2", lambda: item.getState().contains(pyatspi.STATE_CHECKED))
        program.scpi("SYST:PORT LPT1")

        for mode, entry, reply in (("1", "A00", "2560"), ("2", "100", "2660")):  # Mode 1 in hex
            program.window("QV4130")
            program.keys(f"alt+{mode}")
            program.window(f"Mode {mode} Operation")
            program.keys("Tab", "ctrl+a")  # from channel 00 into the entry field
            program.type(entry)
            program.click("Update Channel")
            self.assertEqual(program.scpi("SOUR:CHAN0:CODE?"), reply)
            program.click("Back")

        program.process.send_signal(signal.SIGTERM)
        self.assertEqual(program.ended(), 0)
        with open(program.trace) as trace:  # RESET low at start-up, then once a press
            self.assertEqual(trace.read().count("\n0r"), 3)

    def test_no_port_shows_its_boxes_one_at_a_time(self):
        if os.path.exists("/proc/sys/dev/parport"):
            self.skipTest("this machine has printer ports")
        # Its words, the way out below them, are run_program.sh's (no-port) to check.
        self.start()
        wait_for("the start-up box", lambda: "QV4130" in windows_on_screen())
        # Give any box queued behind it time to come up over it.
        subprocess.run(["sleep", "1.5"], check=True)
        self.assertEqual(windows_on_screen(), ["QV4130"])


if __name__ == "__main__":
    unittest.main()
