#!/usr/bin/env python3
"""Turns the benchmark programs' JSON results into the one table scripts/bench prints.

Every figure is CPU time per operation (the machine may be shared, and CPU time
is what the program itself spends), taken as the median over the repetitions
when the programs ran several, as scripts/bench makes them do.

    bench_table.py RESULT.json [RESULT.json ...]
"""

import json
import sys
from dataclasses import dataclass, field
from statistics import median

# On a real printer port one write takes about 1 us; an 18-bit word is 55 writes.
FLOOR_NS_PER_WRITE = 1_000.0
FLOOR_NS_PER_WORD = 55 * FLOOR_NS_PER_WRITE
# Our own overhead per word, as a share of that floor.
OVERHEAD_GOAL = 0.01
# The main window beside the bare window, for time and for memory.
WINDOW_GOAL = 1.2
# A USB adapter: one transfer per word (one per write would be 55), and the
# library's own work per collected byte within 1% of a printer port's write.
TRANSFERS_PER_WORD_GOAL = 1.0
ADAPTER_WRITE_GOAL_NS = 10.0
# SCPI: the interpreter's own work per code command (2% of the word's 55 µs), and
# commands per second over loopback beside the real port's ceiling of words.
SCPI_OWN_GOAL_NS = 1_000.0
SCPI_RATE_GOAL = 10_000.0
PORT_WORDS_PER_SECOND = 18_000.0
# What recording a trace may add to a word through the do-nothing library.
TRACE_GOAL_NS = 50.0
# A characterisation run: its own work per code (the meter's query, bookkeeping,
# analysis) within 5% of the word's 55 µs, and a whole channel within 2 s.
CHARACTERISE_OWN_GOAL = 0.05
CHARACTERISE_CODES = 4096
CHARACTERISE_CHANNEL_GOAL_NS = 2e9
# A --listen client's round trip while the window's meter takes a second a
# reading: the meter's wait must not become the client's.
LISTEN_MEDIAN_GOAL_MS = 1.0
LISTEN_WORST_GOAL_MS = 10.0

# qv4130ctl --connect: a code line through a server (the line, then SYST:ERR?)
# within five bare round trips to it on the wall clock.
CONNECT_GOAL = 5.0

NS_PER_UNIT = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


@dataclass
class Result:
    """One benchmark's figures: CPU time per iteration and its counters."""

    cpu_ns: float
    counters: dict = field(default_factory=dict)


# Keys of a benchmark entry that are not user counters.
_STANDARD_KEYS = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type",
    "repetitions", "repetition_index", "threads", "aggregate_name", "aggregate_unit",
    "iterations", "real_time", "cpu_time", "time_unit", "error_occurred", "error_message",
    "label",
}


def _entry_result(entry):
    counters = {k: v for k, v in entry.items() if k not in _STANDARD_KEYS}
    return Result(entry["cpu_time"] * NS_PER_UNIT[entry.get("time_unit", "ns")], counters)


def collect(documents):
    """Maps each benchmark's run name to its Result, from parsed JSON documents.

    A median aggregate wins; without one, the median of the single runs is taken
    (time and every counter alike). Runs that reported an error are left out.
    """
    medians, runs = {}, {}
    for document in documents:
        for entry in document.get("benchmarks", []):
            if entry.get("error_occurred"):
                continue
            name = entry.get("run_name", entry["name"])
            if entry.get("run_type") == "aggregate":
                if entry.get("aggregate_name") == "median":
                    medians[name] = _entry_result(entry)
            else:
                runs.setdefault(name, []).append(_entry_result(entry))
    results = {}
    for name, results_of_runs in runs.items():
        keys = set().union(*(r.counters for r in results_of_runs))
        results[name] = Result(
            median(r.cpu_ns for r in results_of_runs),
            {k: median(r.counters[k] for r in results_of_runs if k in r.counters) for k in keys},
        )
    results.update(medians)
    return results


@dataclass
class Row:
    what: str
    figure: str
    ratio: str = ""
    goal: str = ""
    verdict: str = ""


def _duration(ns):
    for unit, scale in (("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:,.1f} {unit}" if ns < 100 * scale else f"{ns / scale:,.0f} {unit}"
    return f"{ns:,.1f} ns"


def _verdict(value, limit):
    return "met" if value <= limit else "MISSED"


NOT_RUN = "not run"


def _word_row(results, what, name, limit):
    result = results.get(name)
    if result is None:
        return Row(what, NOT_RUN)
    share = result.cpu_ns / FLOOR_NS_PER_WORD
    row = Row(what, f"{result.cpu_ns:,.1f} ns/word", f"{share:.2%} of 55 µs")
    if limit is not None:
        row.goal = f"< {limit:.0%}"
        row.verdict = _verdict(share, limit)
    return row


def _write_row(results, what, name, limit_ns=None):
    result = results.get(name)
    if result is None:
        return Row(what, NOT_RUN)
    share = result.cpu_ns / FLOOR_NS_PER_WRITE
    row = Row(what, f"{result.cpu_ns:,.1f} ns/write", f"{share:.2%} of 1 µs")
    if limit_ns is not None:
        row.goal, row.verdict = f"≤ {limit_ns:g} ns", _verdict(result.cpu_ns, limit_ns)
    return row


def _adapter_rows(results):
    """The USB adapter's transfers per word and how soon a word goes out."""
    result = results.get("BM_AdapterTransfersPerWord")
    per_word_what = "USB adapter: transfers per 18-bit word"
    flush_what = "USB adapter: a word's last byte to its transfer"
    if result is None:
        return [Row(per_word_what, NOT_RUN), Row(flush_what, NOT_RUN)]
    per_word = result.counters.get("transfers_per_word")
    flush_ns = result.counters.get("idle_flush_ns")
    rows = [Row(per_word_what, "not measured"), Row(flush_what, "not measured")]
    if per_word is not None:
        rows[0] = Row(per_word_what, f"{per_word:.2f}/word", "55 unbuffered",
                      f"≤ {TRANSFERS_PER_WORD_GOAL:g}",
                      _verdict(per_word, TRANSFERS_PER_WORD_GOAL))
    if flush_ns is not None:
        rows[1] = Row(flush_what, _duration(flush_ns))
    return rows


def _traced_rows(results):
    """The traced word beside the untraced one of the same run (a)."""
    untraced = results.get("BM_WordInProcessNullLibrary")
    traced = results.get("BM_WordInProcessNullLibraryTraced")
    what = "Word (a), traced: the program's own thread"
    if traced is None:
        row = Row(what, NOT_RUN)
    else:
        row = Row(what, f"{traced.cpu_ns:,.1f} ns/word")
        if untraced is not None:
            added = traced.cpu_ns - untraced.cpu_ns
            row.ratio, row.goal, row.verdict = (f"{added:+,.1f} ns on (a)",
                                                f"≤ +{TRACE_GOAL_NS:.0f} ns",
                                                _verdict(added, TRACE_GOAL_NS))
    both = _word_row(results, "Word (a), traced: both threads, the file written",
                     "BM_WordTraceBothThreads/process_time", None)
    return [row, both]


def _window_rows(results):
    bare, main = results.get("BM_BareWindow"), results.get("BM_MainWindow")
    rows = []
    for what, result in (("Bare Qt window: create, show, destroy", bare),
                         ("Main window: create, load, show, destroy", main)):
        if result is None:
            rows.append(Row(what, NOT_RUN))
            continue
        row = Row(what, _duration(result.cpu_ns))
        if result is main and bare is not None:
            ratio = main.cpu_ns / bare.cpu_ns
            row.ratio, row.goal, row.verdict = (f"{ratio:.2f}x bare", f"≤ {WINDOW_GOAL}x",
                                                _verdict(ratio, WINDOW_GOAL))
        rows.append(row)
    for what, result in (("Bare Qt window: heap while open", bare),
                         ("Main window: heap while open", main)):
        heap = None if result is None else result.counters.get("heap_bytes")
        if heap is None:
            rows.append(Row(what, NOT_RUN if result is None else "not measured"))
            continue
        row = Row(what, f"{heap / 1024:,.1f} KiB")
        bare_heap = None if bare is None else bare.counters.get("heap_bytes")
        if result is main and bare_heap:
            ratio = heap / bare_heap
            row.ratio, row.goal, row.verdict = (f"{ratio:.2f}x bare", f"≤ {WINDOW_GOAL}x",
                                                _verdict(ratio, WINDOW_GOAL))
        rows.append(row)
    return rows


def _scpi_rows(results):
    command, word = results.get("BM_ScpiCodeCommand"), results.get("BM_ScpiCodeWordAlone")
    alone = Row("SCPI `SOUR:CHAN5:CODE 2560`: its word alone",
                NOT_RUN if word is None else f"{word.cpu_ns:,.1f} ns/cmd")
    own = Row("SCPI `SOUR:CHAN5:CODE 2560`: the interpreter's own part", NOT_RUN)
    if command is not None and word is not None:
        ns = command.cpu_ns - word.cpu_ns
        own.figure, own.ratio = f"{ns:,.1f} ns/cmd", f"{ns / word.cpu_ns:.2f}x the word"
        own.goal, own.verdict = "≤ 1 µs", _verdict(ns, SCPI_OWN_GOAL_NS)
    loopback = results.get("BM_ScpiLoopbackPipelined/real_time")
    rate = None if loopback is None else loopback.counters.get("items_per_second")
    served = Row("SCPI over loopback: one pipelining client, virtual board",
                 NOT_RUN if rate is None else f"{rate:,.0f} cmd/s")
    if rate is not None:
        served.ratio = f"{rate / PORT_WORDS_PER_SECOND:.1f}x the port's words/s"
        served.goal = f"≥ {SCPI_RATE_GOAL:,.0f}/s"
        served.verdict = "met" if rate >= SCPI_RATE_GOAL else "MISSED"
    return [alone, own, served]


def _characterise_rows(results):
    run, words = results.get("BM_CharacteriseWholeChannel"), results.get("BM_CharacteriseWordsAlone")
    own = Row("Characterise: the run's own work per code, simulated meter", NOT_RUN)
    whole = Row("Characterise: a whole channel (4,096 codes) on the virtual board",
                NOT_RUN if run is None else _duration(run.cpu_ns))
    if run is not None:
        whole.goal = "≤ 2 s"
        whole.verdict = _verdict(run.cpu_ns, CHARACTERISE_CHANNEL_GOAL_NS)
    if run is not None and words is not None:
        ns = (run.cpu_ns - words.cpu_ns) / CHARACTERISE_CODES
        share = ns / FLOOR_NS_PER_WORD
        own.figure, own.ratio = f"{ns:,.1f} ns/code", f"{share:.2%} of 55 µs"
        own.goal, own.verdict = f"≤ {CHARACTERISE_OWN_GOAL:.0%}", _verdict(share,
                                                                        CHARACTERISE_OWN_GOAL)
    latency = results.get("BM_ListenLatencyWhileAMeterTakesASecond/min_time:2.500/manual_time")
    listen = Row("--listen round trip while the window's meter takes 1 s a reading", NOT_RUN)
    if latency is not None and "median_ms" in latency.counters:
        median_ms, worst_ms = latency.counters["median_ms"], latency.counters["worst_ms"]
        listen.figure = f"median {median_ms:.3f} ms, worst {worst_ms:.1f} ms"
        listen.goal = f"≤ {LISTEN_MEDIAN_GOAL_MS:g} ms, ≤ {LISTEN_WORST_GOAL_MS:g} ms"
        listen.verdict = ("met" if median_ms <= LISTEN_MEDIAN_GOAL_MS
                          and worst_ms <= LISTEN_WORST_GOAL_MS else "MISSED")
    return [own, whole, listen]


def _connect_rows(results):
    line, bare = results.get("BM_ConnectCodeLine/real_time"), results.get(
        "BM_ConnectBareRoundTrip/real_time")
    row = Row("--connect: a code line through a running server, wall clock", NOT_RUN)
    if line is not None and bare is not None:
        line_us, bare_us = line.counters.get("wall_us"), bare.counters.get("wall_us")
        if line_us and bare_us:
            ratio = line_us / bare_us
            row.figure, row.ratio = f"{line_us:,.1f} µs/line", f"{ratio:.2f}x a bare round trip"
            row.goal, row.verdict = f"≤ {CONNECT_GOAL:g}x", _verdict(ratio, CONNECT_GOAL)
    return [row]


def build_rows(results):
    rows = [
        _word_row(results, "Word (a): in-process do-nothing library",
                  "BM_WordInProcessNullLibrary", OVERHEAD_GOAL),
        _word_row(results, "Word (b): dynamically bound do-nothing library",
                  "BM_WordDynamicallyBoundNullLibrary", OVERHEAD_GOAL),
    ]
    rows += _traced_rows(results)
    rows += [
        # The virtual board stands in for the hardware rather than adding to it:
        # shown for comparison, with no goal of its own.
        _word_row(results, "Word (c): virtual board", "BM_WordThroughVirtualBoard", None),
        _word_row(results, "Word (c): virtual board, watched by its panel",
                  "BM_WordThroughWatchedVirtualBoard", None),
        _write_row(results, "ppdev library's own work per data write",
                   "BM_LibraryDataWrite"),
        _write_row(results, "ppdev library's own work per control read-modify-write",
                   "BM_LibraryControlReadModifyWrite"),
        _write_row(results, "USB adapter: library's own work per buffered write",
                   "BM_AdapterBufferedWrite", ADAPTER_WRITE_GOAL_NS),
    ]
    rows += _adapter_rows(results)
    rows += _scpi_rows(results)
    rows += _characterise_rows(results)
    rows += _connect_rows(results)
    rows += _window_rows(results)
    sweep = results.get("BM_TestSweep/iterations:3") or results.get("BM_TestSweep")
    rows.append(Row("Test sweep: 16 words with their pauses, total",
                    NOT_RUN if sweep is None else _duration(sweep.cpu_ns)))
    return rows


def render(rows):
    header = Row("Measure", "Figure", "Ratio", "Goal", "")
    table = [header] + rows
    columns = ("what", "figure", "ratio", "goal", "verdict")
    widths = {c: max(len(getattr(r, c)) for r in table) for c in columns}

    def line(cells):
        return "| " + " | ".join(cells) + " |"

    def cells(row):
        # Figures and ratios line up on the right, words on the left.
        return [getattr(row, c).rjust(widths[c]) if c in ("figure", "ratio") and row is not header
                else getattr(row, c).ljust(widths[c]) for c in columns]

    out = [line(cells(header)),
           line([("-" * (widths[c] - 1) + ":") if c in ("figure", "ratio") else "-" * widths[c]
                 for c in columns])]
    out += [line(cells(r)) for r in rows]
    return "\n".join(out)


def load_documents(paths):
    """Parses each results file. A program whose benchmarks were all filtered out
    leaves an empty file: it simply adds nothing."""
    documents = []
    for path in paths:
        with open(path, encoding="utf-8") as source:
            text = source.read()
        if text.strip():
            documents.append(json.loads(text))
    return documents


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    documents = load_documents(argv[1:])
    print(render(build_rows(collect(documents))))
    context = documents[0].get("context", {}) if documents else {}
    repetitions = {e.get("repetitions", 1) for d in documents for e in d.get("benchmarks", [])}
    count = max(repetitions, default=1)
    taken = f"median of {count} repetitions" if count > 1 else "one run each"
    print(f"\nCPU time per operation, {taken}; "
          f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, "
          f"{context.get('date', '')}.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
