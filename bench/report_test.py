#!/usr/bin/env python3
"""The targets of report.py on made-up figures: each row changes one figure of
a run where every target holds, and says which target must then hold or miss.

    python3 bench/report_test.py
"""
import copy
import os
import sys
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import report  # noqa: E402

KINDS = ["template", "enter-in-block", "tab-template-block", "tab-200-line-block",
         "closing-tag", "apostrophe-in-code", "ime-closing-tag"]


def native_run():
    benchmarks = []
    for kind in KINDS:
        benchmarks.append({"run_name": "Keystroke/" + kind, "run_type": "iteration",
                           "cpu_time": 10.0, "real_time": 10.0, "time_unit": "us",
                           "editor_calls": 6, "pane_calls": 6, "consumed": 1})
    benchmarks.append({"run_name": "Remap/10000", "run_type": "iteration", "cpu_time": 2000.0,
                       "real_time": 2000.0, "time_unit": "us"})
    for command in ("check", "xml", "sync", "workbook_xml"):
        benchmarks.append({"run_name": "DocTool/" + command, "run_type": "iteration",
                           "cpu_time": 30.0, "real_time": 40.0, "time_unit": "ms",
                           "lines": 55000})
    benchmarks.append({"run_name": "DocFloor/read_decode", "run_type": "iteration",
                       "cpu_time": 4.0, "real_time": 5.0, "time_unit": "ms", "lines": 55000})
    benchmarks.append({"run_name": "DocMemory/check", "run_type": "iteration",
                       "cpu_time": 1.0, "real_time": 1.0, "time_unit": "ms",
                       "peak_bytes_per_input_byte": 10.0, "input_bytes": 2e6})
    for series in report.GROWTH:
        for n in report.SIZES:
            benchmarks.append({"run_name": "Growth/%s/%d" % (series, n), "run_type": "iteration",
                               "cpu_time": 100.0 * n, "real_time": 100.0 * n,
                               "time_unit": "ns", "lines": n, "pane_calls": 2 + n // 1000})
    return {"context": {}, "benchmarks": benchmarks}


def wine_run():
    messages = [{"message": m, "floor_ns": 200.0, "route_ns": 208.0, "fallback_ns": 212.0,
                 "route_over_floor_ns": 8.0, "fallback_over_floor_ns": 12.0,
                 "route_share_of_floor": 0.04, "fallback_share_of_floor": 0.06}
                for m in ("WM_CHAR_a", "WM_KEYDOWN_arrow", "WM_MOUSEMOVE", "WM_PAINT")]
    keystrokes = []
    for kind in KINDS:
        keystrokes.append({
            "kind": kind, "description": kind, "samples": 200, "median_us": 100.0,
            "p99_us": 5000.0, "editor_calls": 4.0, "addin_median_us": 20.0,
            "addin_p99_us": 4000.0, "reference_median_us": 40.0, "reference_p99_us": 90.0,
            "first_name_lookups": 9 if kind == "template" else 0,
            "name_lookups_after_first": 0, "allocations_fewest": 10, "allocations_most": 10,
            "matches_simulator": True})
    return {
        "routing_in_process": {"rounds": 2001, "calls_per_round": 1000,
                               "allocations_per_message": 0.0,
                               "editor_calls_per_message": 0.0, "messages": messages},
        "unwatched": {"rounds": 401, "messages_per_round": 2000, "b_reached_editor": True,
                      "a_ns_median": 400.0, "b_ns_median": 410.0, "overhead_ratio": 0.025,
                      "overhead_ratio_paired_median": 0.025, "b_allocations_per_message": 0.0,
                      "b_editor_calls_per_message": 0.0, "b_name_lookups": 0,
                      "a_ns_rounds": [], "b_ns_rounds": []},
        "reference": {"lines": 64, "characters": 2279, "passes": 4},
        "keystrokes": keystrokes,
        "line_runs": [],
    }


def keystroke(wine, kind):
    return next(k for k in wine["keystrokes"] if k["kind"] == kind)


def route(wine, message):
    return next(m for m in wine["routing_in_process"]["messages"] if m["message"] == message)


def set_fields(row, **fields):
    row.update(fields)


OWN_TIME = "Wine: add-in's own time / reference"
SHARE = "in process: unwatched message, add-in's cost / floor"
ALLOCATIONS = "Wine: add-in's heap allocations per keystroke, "

# (what, change to the Wine figures, target (its name's start), holds, in its value)
CASES = [
    ("the share of the floor on the threshold",
     lambda w: set_fields(route(w, "WM_PAINT"), fallback_share_of_floor=0.125),
     SHARE, True, "12.5%"),
    ("one message's fallback share over it",
     lambda w: set_fields(route(w, "WM_PAINT"), fallback_share_of_floor=0.13),
     SHARE, False, "13.0%"),
    ("a route share over it",
     lambda w: set_fields(route(w, "WM_CHAR_a"), route_share_of_floor=0.2),
     SHARE, False, "20.0%"),
    # The former absolute target: nanoseconds over the floor do not decide.
    ("40 ns over a slow machine's floor of 400 ns",
     lambda w: set_fields(route(w, "WM_CHAR_a"), floor_ns=400.0, route_over_floor_ns=40.0,
                          route_share_of_floor=0.1),
     SHARE, True, "10.0%"),
    ("an allocation in the unwatched path",
     lambda w: w["routing_in_process"].update(allocations_per_message=0.00001),
     "in process: heap allocations and editor calls", False, None),
    ("own time twice the reference",
     lambda w: set_fields(keystroke(w, "template"), addin_median_us=80.0),
     OWN_TIME, True, "2.00 template"),
    ("own time over twice the reference",
     lambda w: set_fields(keystroke(w, "template"), addin_median_us=81.0),
     OWN_TIME, False, "2.02 template"),
    # A slower machine: three times the microseconds, and the reference with them.
    ("three times slower, reference beside it",
     lambda w: set_fields(keystroke(w, "template"), addin_median_us=3 * 70.0,
                          reference_median_us=3 * 40.0),
     OWN_TIME, True, "1.75 template"),
    # The slowest kind is the one with the highest ratio, not the most microseconds.
    ("the highest ratio decides, not the most microseconds",
     lambda w: (set_fields(keystroke(w, "template"), addin_median_us=150.0,
                           reference_median_us=100.0),
                set_fields(keystroke(w, "closing-tag"), addin_median_us=30.0,
                           reference_median_us=12.0)),
     OWN_TIME, False, "2.50 closing-tag"),
    # The p99 is information: a descheduled keystroke does not miss a target.
    ("a p99 of 30 ms",
     lambda w: set_fields(keystroke(w, "enter-in-block"), addin_p99_us=30000.0),
     OWN_TIME, True, None),
    ("allocations on the target",
     lambda w: set_fields(keystroke(w, "template"), allocations_fewest=190,
                          allocations_most=190),
     ALLOCATIONS + "template", True, "190"),
    ("one allocation over it",
     lambda w: set_fields(keystroke(w, "apostrophe-in-code"), allocations_fewest=21,
                          allocations_most=21),
     ALLOCATIONS + "apostrophe-in-code", False, "21"),
    ("the most of the counted keystrokes decides",
     lambda w: set_fields(keystroke(w, "enter-in-block"), allocations_fewest=24,
                          allocations_most=31),
     ALLOCATIONS + "enter-in-block", False, "24..31"),
    ("editor calls on the target",
     lambda w: set_fields(keystroke(w, "template"), editor_calls=12.0),
     "Wine: editor calls per keystroke, template", True, "12"),
    ("one editor call over it",
     lambda w: set_fields(keystroke(w, "enter-in-block"), editor_calls=9.0),
     "Wine: editor calls per keystroke, enter-in-block", False, "9"),
    ("a name lookup after a kind's first keystroke",
     lambda w: set_fields(keystroke(w, "closing-tag"), name_lookups_after_first=1),
     "Wine: GetIDsOfNames calls after", False, "1"),
    ("an overhead under Wine over 10 %",
     lambda w: w["unwatched"].update(overhead_ratio=0.11),
     "Wine: overhead ratio", False, "11.0%"),
]


def find(results, name):
    matches = [t for t in results["targets"] if t["target"].startswith(name)]
    if len(matches) != 1:
        raise AssertionError("%d targets named %r" % (len(matches), name))
    return matches[0]


class TargetsTest(unittest.TestCase):
    def test_every_target_holds_on_the_base_run(self):
        results = report.build(native_run(), wine_run())
        self.assertEqual([t["target"] for t in results["targets"] if not t["holds"]], [])

    def test_cases(self):
        for what, change, name, holds, value in CASES:
            with self.subTest(what):
                wine = copy.deepcopy(wine_run())
                change(wine)
                results = report.build(native_run(), wine)
                target = find(results, name)
                self.assertEqual(target["holds"], holds, target)
                if value is not None:
                    self.assertIn(value, target["value"])
                others = [t["target"] for t in results["targets"]
                          if not t["holds"] and t is not target]
                self.assertEqual(others, [], "only the changed figure's target may miss")

    def test_doc_targets_are_ratios_to_the_floor_beside_them(self):
        def doc(row):
            return next(b for b in native["benchmarks"] if b["run_name"] == row)

        # A machine three times slower: the commands and the floor alike.
        native = native_run()
        for row in ("DocTool/check", "DocTool/xml", "DocTool/sync", "DocTool/workbook_xml",
                    "DocFloor/read_decode"):
            doc(row)["real_time"] *= 3
        results = report.build(native, wine_run())
        self.assertEqual([t["target"] for t in results["targets"] if not t["holds"]], [])

        native = native_run()
        doc("DocTool/sync")["real_time"] = 5.0 * report.DOC_TOOL_PER_FLOOR + 1
        doc("DocTool/workbook_xml")["real_time"] = 5.0 * report.WORKBOOK_XML_PER_FLOOR + 1
        doc("DocMemory/check")["peak_bytes_per_input_byte"] = report.DOC_PEAK_PER_INPUT_BYTE + 1
        results = report.build(native, wine_run())
        self.assertEqual(sorted(t["target"] for t in results["targets"] if not t["holds"]), [
            "native: tarnwick-doc check, peak memory per byte of input",
            "native: tarnwick-doc on 55,000 lines, slowest command / floor",
            "native: tarnwick-doc xml on an .xlsm of the same lines / floor"])

    def test_the_table_prints(self):
        text = report.show(report.build(native_run(), wine_run()))
        self.assertIn("own/ref", text)
        self.assertNotIn("MISS", text)


if __name__ == "__main__":
    unittest.main()
