"""Checks how the benchmark table picks its figures and judges its goals. (Times in
other units than ns: the characterisation rows, in ms.)"""

import json
import pathlib
import tempfile
import unittest

import bench_table


def run(name, cpu_time, time_unit="ns", **counters):
    return {"name": name, "run_name": name, "run_type": "iteration", "cpu_time": cpu_time,
            "real_time": cpu_time * 3, "time_unit": time_unit, **counters}


def aggregate(name, kind, cpu_time, **counters):
    return {"name": f"{name}_{kind}", "run_name": name, "run_type": "aggregate",
            "aggregate_name": kind, "cpu_time": cpu_time, "real_time": cpu_time,
            "time_unit": "ns", **counters}


class CollectTest(unittest.TestCase):
    def test_picks_the_median_of_repetitions_in_cpu_time_with_its_counters(self):
        cases = [
            ("median aggregate beats mean and single runs",
             [run("BM_X", 900, heap_bytes=1.0), aggregate("BM_X", "median", 300, heap_bytes=20.0),
              aggregate("BM_X", "mean", 500, heap_bytes=10.0), aggregate("BM_X", "stddev", 7)],
             300, {"heap_bytes": 20.0}),
            ("median of single runs", [run("BM_X", 5), run("BM_X", 1), run("BM_X", 3)], 3, {}),
            ("failed runs are left out",
             [run("BM_X", 4), {**run("BM_X", 1e9), "error_occurred": True}], 4, {}),
        ]
        for label, entries, expected, counters in cases:
            with self.subTest(label):
                result = bench_table.collect([{"benchmarks": entries}])["BM_X"]
                self.assertAlmostEqual(result.cpu_ns, expected)
                self.assertEqual(result.counters, counters)

    def test_a_program_with_every_benchmark_filtered_out_adds_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            empty, full = pathlib.Path(folder, "empty.json"), pathlib.Path(folder, "full.json")
            empty.write_text("", encoding="utf-8")
            full.write_text(json.dumps({"benchmarks": [run("BM_X", 7)]}), encoding="utf-8")
            documents = bench_table.load_documents([empty, full])
        self.assertEqual(list(bench_table.collect(documents)), ["BM_X"])


WORD_A = "Word (a): in-process do-nothing library"
TRACED = "Word (a), traced: the program's own thread"
MAIN_TIME = "Main window: create, load, show, destroy"
MAIN_HEAP = "Main window: heap while open"
SCPI_OWN = "SCPI `SOUR:CHAN5:CODE 2560`: the interpreter's own part"
SCPI_RATE = "SCPI over loopback: one pipelining client, virtual board"
CHAR_OWN = "Characterise: the run's own work per code, simulated meter"
CHAR_WHOLE = "Characterise: a whole channel (4,096 codes) on the virtual board"
PER_WORD = "USB adapter: transfers per 18-bit word"
ADAPTER_WRITE = "USB adapter: library's own work per buffered write"
SWEEP = "Test sweep: 16 words with their pauses, total"


def window(time, heap):  # the main window against a bare one of 100 us and 1000 bytes
    return [run("BM_BareWindow", 100, "us", heap_bytes=1000),
            run("BM_MainWindow", time, "us", heap_bytes=heap)]


def scpi(command, word, rate):
    return [run("BM_ScpiCodeCommand", command), run("BM_ScpiCodeWordAlone", word),
            run("BM_ScpiLoopbackPipelined/real_time", 100, "ms", items_per_second=float(rate))]


def adapter(per_word, write_ns):
    return [run("BM_AdapterTransfersPerWord", 150, "us", transfers_per_word=per_word,
                idle_flush_ns=120_000.0), run("BM_AdapterBufferedWrite", write_ns)]


# Each case: the benchmarks run, and the fields of the rows they give. A goal
# is checked where it is met, near its limit, with the limit it shows; a goal
# missed where the row judges in a way of its own.
ROW_CASES = [
    ("words against the physical floor",
     [run("BM_WordInProcessNullLibrary", 549), run("BM_WordDynamicallyBoundNullLibrary", 551),
      run("BM_WordThroughVirtualBoard", 3300)],
     {WORD_A: {"ratio": "1.00% of 55 µs", "verdict": "met"},
      "Word (b): dynamically bound do-nothing library":
          {"ratio": "1.00% of 55 µs", "verdict": "MISSED"},
      "Word (c): virtual board": {"ratio": "6.00% of 55 µs", "verdict": ""}}),
    # The traced word is judged by what it adds to the untraced one.
    ("traced within its goal",
     [run("BM_WordInProcessNullLibraryTraced", 140), run("BM_WordInProcessNullLibrary", 100)],
     {TRACED: {"ratio": "+40.0 ns on (a)", "goal": "≤ +50 ns", "verdict": "met"}}),
    ("traced alone", [run("BM_WordInProcessNullLibraryTraced", 140)],
     {TRACED: {"ratio": "", "verdict": ""}}),
    ("main window at its goals", window(120, 1200),
     {MAIN_TIME: {"ratio": "1.20x bare", "verdict": "met"},
      MAIN_HEAP: {"ratio": "1.20x bare", "verdict": "met"}}),
    ("main window too slow and too big", window(130, 1500),
     {MAIN_TIME: {"ratio": "1.30x bare", "verdict": "MISSED"},
      MAIN_HEAP: {"ratio": "1.50x bare", "verdict": "MISSED"}}),
    # SCPI takes the word off the command and judges the rate.
    ("SCPI at its goals", scpi(1200, 200, 10_000),
     {SCPI_OWN: {"figure": "1,000.0 ns/cmd", "ratio": "5.00x the word", "verdict": "met"},
      SCPI_RATE: {"verdict": "met"}}),
    ("SCPI past its goals", scpi(1300, 200, 9_999),
     {SCPI_OWN: {"figure": "1,100.0 ns/cmd", "ratio": "5.50x the word", "verdict": "MISSED"},
      SCPI_RATE: {"verdict": "MISSED"}}),
    # A characterisation takes its words off, per code (whole run and words in ms).
    ("characterise within its goal",
     [run("BM_CharacteriseWholeChannel", 20.0, "ms"), run("BM_CharacteriseWordsAlone", 8.736, "ms")],
     {CHAR_OWN: {"figure": "2,750.0 ns/code", "ratio": "5.00% of 55 µs", "goal": "≤ 5%",
                 "verdict": "met"}}),
    ("a whole channel too slow", [run("BM_CharacteriseWholeChannel", 2001, "ms")],
     {CHAR_WHOLE: {"figure": "2,001 ms", "verdict": "MISSED"}}),
    ("adapter at its goals", adapter(1.0, 9.9),
     {PER_WORD: {"goal": "≤ 1", "verdict": "met"},
      ADAPTER_WRITE: {"goal": "≤ 10 ns", "verdict": "met"},
      "USB adapter: a word's last byte to its transfer": {"figure": "120 µs"}}),
    ("adapter without its counter", [run("BM_AdapterTransfersPerWord", 150, "us")],
     {PER_WORD: {"figure": "not measured"}}),
    ("sweep total in milliseconds", [run("BM_TestSweep/iterations:3", 41.3, "ms")],
     {SWEEP: {"figure": "41.3 ms"}}),
    # Missing figures are said, not invented.
    ("only the main window", [run("BM_MainWindow", 100, "us")],
     {"Bare Qt window: create, show, destroy": {"figure": "not run"},
      MAIN_TIME: {"ratio": ""}, MAIN_HEAP: {"figure": "not measured"},
      WORD_A: {"figure": "not run"}, SWEEP: {"figure": "not run"},
      SCPI_OWN: {"figure": "not run"}}),
]


class RowsTest(unittest.TestCase):
    def test_each_row_figures_and_judges_its_goal(self):
        for label, entries, expected in ROW_CASES:
            with self.subTest(label):
                rows = {row.what: row for row in
                        bench_table.build_rows(bench_table.collect([{"benchmarks": entries}]))}
                self.assertEqual({what: {name: getattr(rows[what], name) for name in fields}
                                  for what, fields in expected.items()}, expected)


if __name__ == "__main__":
    unittest.main()
