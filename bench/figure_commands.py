"""commands: the wall time of "/check" against a minimal client (scm-query-floor.exe: open the
service control manager and the service, query once), and of "/stop" on a service that stops at
once against the moment a client first sees it stopped (stop-watch.exe)."""

import os
import tempfile
import time

from installation import install_java, jdk17, make_installation
from measure import figure, median

RUNNING = 4
STOP_STEP_MS = 100


def start_service(rig, installation):
    result = installation.run("/start")
    if "Service start pending" not in result.text:
        raise RuntimeError(result.text)
    rig.wait_for_state(RUNNING, seconds=60)
    # Without this, each console run of the exe waits out Wine's 10 s pipe timeout.
    rig.forget_service_pipe()


def stop_once(bench, installation, watcher_exe):
    """One "/stop": (its wall time, the time until the service was first seen stopped), in ms from
    the same start."""
    rig = bench.rig
    start_service(rig, installation)
    with tempfile.NamedTemporaryFile(suffix=".stop-watch", delete=False) as output:
        path = output.name
    try:
        watcher = rig.start_wine(watcher_exe, "VORNA", stderr_path=os.devnull, stdout_path=path)
        while b"watching" not in open(path, "rb").read():
            if watcher.poll() is not None:
                raise RuntimeError("stop-watch ended early")
            time.sleep(0.01)
        begin = time.time_ns() // 1000
        _, stop_text, seconds = bench.timed(installation.exe, "/stop")
        watcher.wait(timeout=60)
        text = open(path, "rb").read().decode()
    finally:
        os.unlink(path)
    if not stop_text.endswith("stopped.\n") or "stopped=" not in text:
        raise RuntimeError(f"{stop_text} {text}")
    stopped = int(text.split("stopped=")[1].split()[0])
    return seconds * 1000.0, (stopped - begin) / 1000.0


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig)
    bench.strip_launcher(installation)
    install_java(rig, jdk17())
    floor_exe = bench.place("scm_query_floor", installation.install)
    watcher_exe = bench.place("stop_watch", installation.install)
    rig.remove_service()
    installation.run("/i")
    try:
        start_service(rig, installation)
        installation.run("/check")
        rig.wine(floor_exe, "VORNA")
        ours, floor = [], []
        for _ in range(runs):
            _, text, seconds = bench.timed(installation.exe, "/check")
            if "service is running" not in text:
                raise RuntimeError(text)
            ours.append(seconds * 1000)
            returncode, _, seconds = bench.timed(floor_exe, "VORNA")
            if returncode != 0:
                raise RuntimeError(f"scm-query-floor: {returncode}")
            floor.append(seconds * 1000)
        figure("check", ours, floor, "ms", "ratio <= 1.2", lambda ratio: ratio <= 1.2)

        installation.run("/stop")
        stops = [stop_once(bench, installation, watcher_exe) for _ in range(runs)]
        beyond = median([wall - seen for wall, seen in stops])
        figure("stop", [wall for wall, _ in stops], [seen for _, seen in stops], "ms",
               f"at most one wait step ({STOP_STEP_MS} ms) beyond the stopped report",
               lambda _: beyond <= STOP_STEP_MS, f"beyond the stopped report {beyond:.1f} ms")
    finally:
        rig.remove_service()
