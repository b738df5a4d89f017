"""commands: the wall time of "/check" against a minimal client (scm-query-floor.exe: open the
service control manager and the service, query once); of "/stop" on a service that stops at
once against the moment a client first sees it stopped (stop-watch.exe); and, for an application
whose main method takes 2 s to save its state after gracefulShutdown has returned, the time from
"/stop" until a client first sees the service stopped against the time until the application
itself is done."""

import os
import tempfile
import time

from installation import install_java, jdk17, make_installation
from measure import figure, median

RUNNING = 4
STOP_STEP_MS = 100
SAVE_MS = 2000


def start_service(rig, installation):
    result = installation.run("/start")
    if "Service start pending" not in result.text:
        raise RuntimeError(result.text)
    rig.wait_for_state(RUNNING, seconds=60)
    # Without this, each console run of the exe waits out Wine's 10 s pipe timeout.
    rig.forget_service_pipe()


def stop_once(bench, installation, watcher_exe):
    """One "/stop": its wall time and the time until the service was first seen stopped, in ms
    from the same start, and that start in microseconds since the Unix epoch (the clock the
    watcher and the Java application read too)."""
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
    return seconds * 1000.0, (stopped - begin) / 1000.0, begin


def saved_state_at(installation):
    """When the application's main method had its state saved on the last run, in microseconds
    since the Unix epoch."""
    saved = [fields for fields in installation.events() if fields[0] == "state-saved"]
    if not saved:
        raise RuntimeError(f"the application did not get to save its state: {installation.event_names()}")
    return int(saved[-1][1])


def stop_after_work(bench, installation, watcher_exe):
    """One "/stop" of the application that saves its state for 2 s after gracefulShutdown: (the
    time until the service was first seen stopped, the time until the application was done), in
    ms from the same start."""
    installation.rig.host_path(installation.data + "events.txt").unlink(missing_ok=True)
    _, seen, begin = stop_once(bench, installation, watcher_exe)
    return seen, (saved_state_at(installation) - begin) / 1000.0


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
        beyond = median([wall - seen for wall, seen, _ in stops])
        figure("stop", [wall for wall, _, _ in stops], [seen for _, seen, _ in stops], "ms",
               f"at most one wait step ({STOP_STEP_MS} ms) beyond the stopped report",
               lambda _: beyond <= STOP_STEP_MS, f"beyond the stopped report {beyond:.1f} ms")

        installation.set_behaviour(main=f"save:{SAVE_MS}")
        stops = [stop_after_work(bench, installation, watcher_exe) for _ in range(runs)]
        beyond = median([seen - done for seen, done in stops])
        figure("stop-2s", [seen for seen, _ in stops], [done for _, done in stops], "ms",
               f"stopped at most {STOP_STEP_MS} ms after the application is done",
               lambda _: beyond <= STOP_STEP_MS, f"beyond the application's end {beyond:.1f} ms")
    finally:
        rig.remove_service()
