"""log: writeLog lines per second from 8 threads at once, against raw fprintf and fflush of lines
of the same length under one lock in the same exe (log-throughput.exe)."""

from installation import make_installation
from measure import figure, median, note

THREADS = 8
LINES = 5000


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig)
    exe = bench.place("log_throughput", installation.install)
    result = rig.wine(exe, installation.data, str(THREADS), str(LINES), str(runs), timeout=900)
    rounds = [dict(field.split("=") for field in line.split()) for line in result.stdout.decode().splitlines()]
    if result.returncode != 0 or len(rounds) != runs:
        raise RuntimeError(f"log-throughput: {result.returncode} {result.stdout!r} {result.stderr!r}")
    ours, floor, clock = ([float(r[kind]) for r in rounds] for kind in ("ours", "floor", "clock"))
    figure("log", ours, floor, "lines/s", "ratio >= 0.9", lambda ratio: ratio >= 0.9,
           f"{THREADS} threads x {LINES} lines")
    note("", f"the floor reading the clock (time) for every line, as writeLog does: {median(clock):.1f} lines/s, "
             f"ours against it {median([a / b for a, b in zip(ours, clock)]):.3f}")
