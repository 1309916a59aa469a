"""Runs every command block of the README and docs/ marked as runnable, on the
virtual board, and compares what it prints with the text.

A runnable block is a fenced block whose info string is "sh runnable". When the
next fenced block (only blank lines between) is tagged "output", the block's
standard output must equal it line for line. Blocks run with bash (-e, -u,
pipefail) in a folder of their own holding a link to examples/, with the built
programs first on the PATH, each in a network namespace of its own (so a block
may serve on a fixed port such as 5025 while other tests run), and each is given
60 seconds.

Every file in examples/ must be used by at least one runnable block, so no
example ships untried.

    run_examples.py SOURCE_DIR BIN_DIR
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

# A fenced block: its info string, then its text up to the closing fence.
FENCED = re.compile(r"^```([^\n]*)\n(.*?)^```[^\n]*$", re.MULTILINE | re.DOTALL)
TIMEOUT_SECONDS = 60


def runnable_examples(source):
    """(page:line, commands, expected output or None) for every runnable block."""
    examples = []
    for page in [source / "README.md", *sorted((source / "docs").glob("*.md"))]:
        text = page.read_text()
        blocks = list(FENCED.finditer(text))
        for block, following in zip(blocks, [*blocks[1:], None]):
            if block[1].split() == ["sh", "runnable"]:
                expected = following[2] if following and following[1].strip() == "output" else None
                line = text.count("\n", 0, block.start()) + 1
                examples.append((f"{page.relative_to(source)}:{line}", block[2], expected))
    return examples


def isolated(command):
    """The command in a network namespace of its own with its loopback up, where
    the kernel lets us make one."""
    probe = subprocess.run(["unshare", "-rn", "true"], capture_output=True, check=False)
    if probe.returncode != 0 or not shutil.which("ip"):
        return command
    return ["unshare", "-rn", "sh", "-c", 'ip link set lo up && exec "$@"', "sh", *command]


def run(commands, source, bin_dir):
    with tempfile.TemporaryDirectory(prefix="qv4130-example-") as folder:
        os.symlink(source / "examples", pathlib.Path(folder) / "examples")
        environment = dict(os.environ, PATH=f"{bin_dir}{os.pathsep}{os.environ['PATH']}",
                           QT_QPA_PLATFORM="offscreen")
        return subprocess.run(isolated(["bash", "-euo", "pipefail", "-c", commands]),
                              cwd=folder, env=environment, capture_output=True, text=True,
                              timeout=TIMEOUT_SECONDS, check=False)


def main(source, bin_dir):
    examples = runnable_examples(source)
    failures = []
    for where, commands, expected in examples:
        try:
            result = run(commands, source, bin_dir)
        except subprocess.TimeoutExpired:
            failures.append(f"{where}: still running after {TIMEOUT_SECONDS} s")
            continue
        if result.returncode != 0:
            failures.append(f"{where}: exit status {result.returncode}\n{commands}"
                            f"--- standard error:\n{result.stderr}")
        elif expected is not None and result.stdout != expected:
            failures.append(f"{where}: printed\n{result.stdout}--- where the text shows\n"
                            f"{expected}")
        else:
            print(f"ok: {where}")

    everything = "".join(commands for _, commands, _ in examples)
    for example in sorted((source / "examples").iterdir()):
        if f"examples/{example.name}" not in everything:
            failures.append(f"examples/{example.name} is used by no runnable block")

    for failure in failures:
        print(f"FAIL: {failure}")
    print(f"{len(examples)} runnable blocks, {len(failures)} failures")
    return 1 if failures or not examples else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve()))
