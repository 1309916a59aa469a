"""Checks how the benchmark table picks its figures and judges its goals."""

import json
import os
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


def rows_by_measure(*entries):
    rows = bench_table.build_rows(bench_table.collect([{"benchmarks": list(entries)}]))
    return {row.what: row for row in rows}


class CollectTest(unittest.TestCase):
    def test_picks_the_median_of_repetitions_in_cpu_time(self):
        cases = [
            ("median aggregate beats mean and single runs",
             [run("BM_X", 900), aggregate("BM_X", "mean", 500), aggregate("BM_X", "median", 300),
              aggregate("BM_X", "stddev", 7)], 300),
            ("median of single runs", [run("BM_X", 5), run("BM_X", 1), run("BM_X", 3)], 3),
            ("time units become ns", [run("BM_X", 2.5, "ms")], 2.5e6),
            ("failed runs are left out",
             [run("BM_X", 4), {**run("BM_X", 1e9), "error_occurred": True}], 4),
        ]
        for label, entries, expected in cases:
            with self.subTest(label):
                result = bench_table.collect([{"benchmarks": entries}])["BM_X"]
                self.assertAlmostEqual(result.cpu_ns, expected)

    def test_counters_follow_the_chosen_run(self):
        result = bench_table.collect([{"benchmarks": [
            aggregate("BM_X", "mean", 1, heap_bytes=10.0),
            aggregate("BM_X", "median", 1, heap_bytes=20.0)]}])["BM_X"]
        self.assertEqual(result.counters, {"heap_bytes": 20.0})


    def test_a_program_with_every_benchmark_filtered_out_adds_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            empty, full = os.path.join(folder, "empty.json"), os.path.join(folder, "full.json")
            open(empty, "w", encoding="utf-8").close()
            with open(full, "w", encoding="utf-8") as out:
                json.dump({"benchmarks": [run("BM_X", 7)]}, out)
            documents = bench_table.load_documents([empty, full])
        self.assertEqual(list(bench_table.collect(documents)), ["BM_X"])


class RowsTest(unittest.TestCase):
    def test_word_rows_against_the_physical_floor(self):
        rows = rows_by_measure(run("BM_WordInProcessNullLibrary", 549),
                               run("BM_WordDynamicallyBoundNullLibrary", 551),
                               run("BM_WordThroughVirtualBoard", 3300))
        cases = [
            ("Word (a): in-process do-nothing library", "1.00% of 55 µs", "met"),
            ("Word (b): dynamically bound do-nothing library", "1.00% of 55 µs", "MISSED"),
            ("Word (c): virtual board", "6.00% of 55 µs", ""),
        ]
        for what, ratio, verdict in cases:
            with self.subTest(what):
                self.assertEqual((rows[what].ratio, rows[what].verdict), (ratio, verdict))

    def test_the_traced_word_is_judged_by_what_it_adds_to_the_untraced_one(self):
        traced = "Word (a), traced: the program's own thread"
        cases = [
            (140, 100, ("+40.0 ns on (a)", "met")),
            (151, 100, ("+51.0 ns on (a)", "MISSED")),
            (140, None, ("", "")),
        ]
        for traced_ns, untraced_ns, expected in cases:
            with self.subTest(traced=traced_ns, untraced=untraced_ns):
                entries = [run("BM_WordInProcessNullLibraryTraced", traced_ns)]
                if untraced_ns is not None:
                    entries.append(run("BM_WordInProcessNullLibrary", untraced_ns))
                row = rows_by_measure(*entries)[traced]
                self.assertEqual((row.ratio, row.verdict), expected)

    def test_main_window_is_judged_against_the_bare_window(self):
        cases = [
            # (main time, main heap) against a bare window of 100 us and 1000 bytes
            ((120, 1200), ("1.20x bare", "met"), ("1.20x bare", "met")),
            ((130, 900), ("1.30x bare", "MISSED"), ("0.90x bare", "met")),
            ((90, 1500), ("0.90x bare", "met"), ("1.50x bare", "MISSED")),
        ]
        for (time, heap), time_verdict, heap_verdict in cases:
            with self.subTest(time=time, heap=heap):
                rows = rows_by_measure(run("BM_BareWindow", 100, "us", heap_bytes=1000),
                                       run("BM_MainWindow", time, "us", heap_bytes=heap))
                timed = rows["Main window: create, load, show, destroy"]
                held = rows["Main window: heap while open"]
                self.assertEqual((timed.ratio, timed.verdict), time_verdict)
                self.assertEqual((held.ratio, held.verdict), heap_verdict)

    def test_scpi_rows_take_the_word_off_and_judge_the_rate(self):
        cases = [
            # (command, word alone, commands per second)
            ((1200, 200, 10_000), ("1,000.0 ns/cmd", "5.00x the word", "met"), "met"),
            ((1300, 200, 9_999), ("1,100.0 ns/cmd", "5.50x the word", "MISSED"), "MISSED"),
        ]
        for (command, word, rate), own_row, rate_verdict in cases:
            with self.subTest(command=command, rate=rate):
                rows = rows_by_measure(
                    run("BM_ScpiCodeCommand", command), run("BM_ScpiCodeWordAlone", word),
                    run("BM_ScpiLoopbackPipelined/real_time", 100, "ms",
                        items_per_second=float(rate)))
                own = rows["SCPI `SOUR:CHAN5:CODE 2560`: the interpreter's own part"]
                self.assertEqual((own.figure, own.ratio, own.verdict), own_row)
                served = rows["SCPI over loopback: one pipelining client, virtual board"]
                self.assertEqual(served.verdict, rate_verdict)

    def test_characterise_rows_take_the_words_off_per_code(self):
        cases = [
            # (whole run, its words alone) in ms: own work per code, its verdict
            ((20.0, 8.736), ("2,750.0 ns/code", "5.00% of 55 µs", "met")),
            ((20.0, 8.0), ("2,929.7 ns/code", "5.33% of 55 µs", "MISSED")),
        ]
        for (whole, words), own_row in cases:
            with self.subTest(whole=whole, words=words):
                rows = rows_by_measure(run("BM_CharacteriseWholeChannel", whole, "ms"),
                                       run("BM_CharacteriseWordsAlone", words, "ms"))
                own = rows["Characterise: the run's own work per code, simulated meter"]
                self.assertEqual((own.figure, own.ratio, own.verdict), own_row)
        rows = rows_by_measure(run("BM_CharacteriseWholeChannel", 2001, "ms"))
        whole = rows["Characterise: a whole channel (4,096 codes) on the virtual board"]
        self.assertEqual((whole.figure, whole.verdict), ("2,001 ms", "MISSED"))

    def test_missing_figures_are_said_not_invented(self):
        rows = rows_by_measure(run("BM_MainWindow", 100, "us"))
        self.assertEqual(rows["Bare Qt window: create, show, destroy"].figure, "not run")
        self.assertEqual(rows["Main window: create, load, show, destroy"].ratio, "")
        self.assertEqual(rows["Main window: heap while open"].figure, "not measured")
        self.assertEqual(rows["Word (a): in-process do-nothing library"].figure, "not run")
        self.assertEqual(rows["Test sweep: 16 words with their pauses, total"].figure, "not run")
        self.assertEqual(
            rows["SCPI `SOUR:CHAN5:CODE 2560`: the interpreter's own part"].figure, "not run")

    def test_usb_adapter_rows_against_their_goals(self):
        cases = [
            # (transfers per word, ns per buffered write): their verdicts
            ((1.0, 9.9), ("met", "met")),
            ((1.02, 10.5), ("MISSED", "MISSED")),
        ]
        for (per_word, write_ns), verdicts in cases:
            with self.subTest(per_word=per_word, write_ns=write_ns):
                rows = rows_by_measure(
                    run("BM_AdapterTransfersPerWord", 150, "us", transfers_per_word=per_word,
                        idle_flush_ns=120_000.0),
                    run("BM_AdapterBufferedWrite", write_ns))
                per_word_row = rows["USB adapter: transfers per 18-bit word"]
                write_row = rows["USB adapter: library's own work per buffered write"]
                self.assertEqual((per_word_row.verdict, write_row.verdict), verdicts)
                self.assertEqual(rows["USB adapter: a word's last byte to its transfer"].figure,
                                 "120 µs")
        rows = rows_by_measure(run("BM_AdapterTransfersPerWord", 150, "us"))
        self.assertEqual(rows["USB adapter: transfers per 18-bit word"].figure, "not measured")

    def test_sweep_total_in_milliseconds(self):
        rows = rows_by_measure(run("BM_TestSweep/iterations:3", 41.3, "ms"))
        self.assertEqual(rows["Test sweep: 16 words with their pauses, total"].figure, "41.3 ms")


class RenderTest(unittest.TestCase):
    def test_every_line_has_the_same_columns(self):
        text = bench_table.render(bench_table.build_rows({}))
        lines = text.splitlines()
        self.assertEqual(len({len(line) for line in lines}), 1)
        self.assertEqual({line.count("|") for line in lines}, {6})


if __name__ == "__main__":
    unittest.main()
