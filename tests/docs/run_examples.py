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

FENCE = re.compile(r"^```(.*)$")
TIMEOUT_SECONDS = 60


def fenced_blocks(path):
    """(info string, first line number, text) of each fenced block in a page."""
    blocks, info, start, lines = [], None, 0, []
    for number, line in enumerate(path.read_text().splitlines(), 1):
        match = FENCE.match(line)
        if match and info is None:
            info, start, lines = match.group(1).strip(), number, []
        elif match:
            blocks.append((info, start, "\n".join(lines) + "\n" if lines else ""))
            info = None
        elif info is not None:
            lines.append(line)
    return blocks


def runnable_examples(source):
    """(page:line, commands, expected output or None) for every runnable block."""
    pages = [source / "README.md", *sorted((source / "docs").glob("*.md"))]
    examples = []
    for page in pages:
        blocks = fenced_blocks(page)
        for index, (info, line, text) in enumerate(blocks):
            if info.split() != ["sh", "runnable"]:
                continue
            following = blocks[index + 1] if index + 1 < len(blocks) else None
            expected = following[2] if following and following[0] == "output" else None
            examples.append((f"{page.relative_to(source)}:{line}", text, expected))
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
