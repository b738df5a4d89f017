#!/usr/bin/env python3
"""The benchmarks: each figure measured side by side with its floor in one run, in a Wine prefix
of the bench's own (made here, removed at the end), printed as one line with the ratio and the
goal; medians of several runs. Not tests: nothing here fails on a figure.

    bench.py BENCH_CONFIG [--runs N] [launch] [log] [memory] [commands] [failure] [output] [dump]

BENCH_CONFIG is bench-config.json of a windows build (bench/run.sh passes it)."""

import argparse
import sys

import figure_commands
import figure_dump
import figure_failure
import figure_launch
import figure_log
import figure_memory
import figure_output
from measure import Bench

FIGURES = {
    "launch": figure_launch.run,
    "log": figure_log.run,
    "memory": figure_memory.run,
    "commands": figure_commands.run,
    "failure": figure_failure.run,
    "output": figure_output.run,
    "dump": figure_dump.run,
}


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("config")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("figures", nargs="*", metavar="figure", help=", ".join(FIGURES))
    arguments = parser.parse_intermixed_args(argv)
    unknown = set(arguments.figures) - set(FIGURES)
    if unknown:
        parser.error(f"no such figure: {', '.join(sorted(unknown))}")
    bench = Bench(arguments.config)
    print(f"Preparing a Wine prefix of the bench's own at {bench.rig.prefix} ...", flush=True)
    bench.rig.setup()
    try:
        for name in arguments.figures or FIGURES:
            FIGURES[name](bench, arguments.runs)
    finally:
        bench.rig.teardown()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
