"""The start-up harness's own logic: its goals, ratios, and the ending of left-behind helpers."""

import os
import subprocess
import sys
import time
import unittest
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
import peers_bench  # noqa: E402

KINDS = {"Tolvarn": "own", "empty Qt window": "probe", "one control of each kind": "probe",
         "galculator": "peer", "kcalc": "peer"}


def runs(*maps_and_peaks):
    """Runs with these (time to map in ms, peak memory in MiB) figures; 1 MiB shared each."""
    return [{"map": ms / 1000, "draw": ms / 1000, "peak": mib * 1024, "shared": 1024}
            for ms, mib in maps_and_peaks]


class GoalsTest(unittest.TestCase):
    def judge(self, results):
        return {text.split(" (")[0]: (round(value, 3) if value is not None else None, met)
                for text, value, _, met in peers_bench.goals(results, KINDS)}

    def test_goals_against_the_medians(self):
        cases = [
            # what, results, (map vs fastest peer, map vs empty window, memory vs lightest peer)
            ("all met; the memory just at its limit",
             {"Tolvarn": runs((60, 29), (54, 29), (50, 30)),
              "empty Qt window": runs((42, 25), (40, 25), (40.5, 25)),
              "galculator": runs((91, 29), (100, 29), (300, 85)),  # a slow outlier: the median
              "kcalc": runs((180, 93))},
             ((0.54, True), (1.333, True), (1.0, True))),
            ("missed: slower and heavier",
             {"Tolvarn": runs((80, 30)), "empty Qt window": runs((40, 25)),
              "galculator": runs((100, 29)), "kcalc": runs((90, 93))},
             ((0.889, False), (2.0, False), (1.034, False))),
            # The probes are no peers, however light or fast they are.
            ("the probes are never the fastest or the lightest peer",
             {"Tolvarn": runs((50, 28)), "empty Qt window": runs((10, 5)),
              "one control of each kind": runs((12, 6)), "kcalc": runs((100, 28))},
             ((0.5, True), (5.0, False), (1.0, True))),
            ("nothing to set it against: judged missed, without a ratio",
             {"Tolvarn": runs((50, 28))},
             ((None, False), (None, False), (None, False))),
        ]
        for what, results, expected in cases:
            with self.subTest(what):
                self.assertEqual(tuple(self.judge(results).values()), expected)

    def test_the_table_gives_each_median_against_tolvarns(self):
        results = {"Tolvarn": runs((50, 28), (70, 30), (60, 29)),
                   "galculator": runs((120, 29), (90, 29), (100, 29))}
        lines = peers_bench.table(results, peers_bench.MEASURES)
        row = next(line for line in lines if line.startswith("galculator") and "map" in line)
        self.assertEqual(row.split()[-7:], ["100.0", "ms", "90.0", "ms", "120.0", "ms", "1.67"])

class ProcessesTest(unittest.TestCase):
    def test_a_helper_left_behind_is_found_by_its_mark_and_ended(self):
        mark = uuid.uuid4().hex
        env = dict(os.environ, **{peers_bench.MARK: mark})
        # The program starts a helper in a session of its own, as a daemon does, and keeps running.
        program = subprocess.Popen(
            ["sh", "-c", "setsid sleep 30 & exec sleep 30"], env=env,
            stdout=subprocess.DEVNULL)
        unmarked = subprocess.Popen(["sleep", "30"])
        try:
            deadline = time.monotonic() + 5
            while len(peers_bench.marked(mark)) < 2 and time.monotonic() < deadline:
                time.sleep(0.01)
            found = peers_bench.marked(mark)
            self.assertEqual(len(found), 2)
            self.assertIn(program.pid, found)
            self.assertNotIn(unmarked.pid, found)
            peers_bench.end_run(program, mark)
            self.assertEqual(peers_bench.marked(mark), [])
            self.assertIsNone(unmarked.poll())  # nothing unmarked is touched
        finally:
            unmarked.kill()
            unmarked.wait()
            for pid in peers_bench.marked(mark):
                os.kill(pid, 9)


if __name__ == "__main__":
    unittest.main()
