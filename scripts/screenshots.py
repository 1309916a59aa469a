"""Drives the real qv4130 on the virtual board to the states the documentation
shows and takes their pictures (scripts/screenshots runs it on a desktop).
    screenshots.py FOLDER"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "desktop"))
from operator_hands import Program, frame_of, wait_for, windows_on_screen  # noqa: E402

import pyatspi  # noqa: E402

MARGIN = 12  # pixels of desktop around the windows


def grab(region, path):
    left, top, right, bottom = region
    subprocess.run(["import", "-window", "root", "-crop",
                    f"{right - left}x{bottom - top}+{left}+{top}", "+repage", path],
                   check=True, timeout=60)


def around(*frames):
    return (max(0, min(f[0] for f in frames) - MARGIN), max(0, min(f[1] for f in frames) - MARGIN),
            max(f[2] for f in frames) + MARGIN, max(f[3] for f in frames) + MARGIN)


def main(folder):
    program = Program("--virtual-board")
    try:
        # The test sweep: the unseen button is the main window's seventh stop.
        program.window("QV4130")
        program.keys(*["Tab"] * 6, "Return")
        wait_for("the sweep", lambda: program.scpi("SOUR:CHAN15:CODE?") == "3072")
        # Mode 1: channel 05, A00, Update Channel, Back.
        program.keys("alt+1")
        program.window("Mode 1 Operation")
        program.click("05", role="radio button")
        program.click("", role="text")  # the code's entry field
        program.type("A00")
        program.keys("Tab")
        program.click("Update Channel")
        wait_for("the write", lambda: program.scpi("SOUR:CHAN5:CODE?") == "2560")
        program.click("Back")
        wait_for("Mode 1 closed", lambda: "Mode 1 Operation" not in windows_on_screen())
        main_window = frame_of(program.window("QV4130"))
        panel = frame_of(program.window("QV4130 Virtual Board"))
        program.window("QV4130")  # the main window in front, as after Back
        grab(around(main_window, panel), os.path.join(folder, "screenshot.png"))

        # A whole run of channel 3 with the simulated meter.
        program.window("QV4130 Virtual Board")
        program.keys("alt+c")
        characterise = program.window("QV4130 Characterise")
        program.keys("alt+h", "ctrl+a")
        program.type("3")
        program.keys("alt+s")
        wait_for("the run's end", lambda: program.control(
            "push button", "Save CSV\u2026").getState().contains(pyatspi.STATE_ENABLED), 120)
        grab(around(frame_of(characterise)), os.path.join(folder, "characterise-window.png"))
    finally:
        program.close()


if __name__ == "__main__":
    main(sys.argv[1])
