"""failure: from "/start" to the service control manager showing the service stopped, for a VM
that refuses its options, against the floor: launch-floor.exe creating the VM with the same
options, from its start to its end at the refusal."""

import os
import tempfile
import time

from installation import bridge_record, install_java, jdk17, make_installation
from measure import figure, median

MAIN_CLASS = "de/ardilux/vorna/Vorna"
REFUSED_OPTION = "-Xnot-an-option"
GOAL_MS = 1000
ERROR_SERVICE_SPECIFIC_ERROR = 1066


def start_to_stopped(bench, installation, watcher_exe):
    """Milliseconds from running "/start" to a client first seeing the service stopped again."""
    rig = bench.rig
    with tempfile.NamedTemporaryFile(suffix=".stop-watch", delete=False) as output:
        path = output.name
    try:
        watcher = rig.start_wine(watcher_exe, "VORNA", "--after-start", stderr_path=os.devnull, stdout_path=path)
        while b"watching" not in open(path, "rb").read():
            if watcher.poll() is not None:
                raise RuntimeError("stop-watch ended early")
            time.sleep(0.01)
        begin = time.time_ns() // 1000
        _, text, _ = bench.timed(installation.exe, "/start")
        watcher.wait(timeout=90)
        seen = open(path, "rb").read().decode()
    finally:
        os.unlink(path)
    if "Service start pending" not in text or "stopped=" not in seen:
        raise RuntimeError(f"{text} {seen}")
    # Without this, each console run of the exe waits out Wine's 10 s pipe timeout.
    rig.forget_service_pipe()
    status = rig.query_service()
    if status["exitcode"] != ERROR_SERVICE_SPECIFIC_ERROR:
        raise RuntimeError(f"not stopped by the refusal: {status}")
    return (int(seen.split("stopped=")[1].split()[0]) - begin) / 1000.0


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig)
    bench.strip_launcher(installation)
    runtime = jdk17()
    install_java(rig, runtime, bridge_config=f"option={REFUSED_OPTION}\n")
    watcher_exe = bench.place("stop_watch", installation.install)
    floor_exe = bench.place("launch_floor", installation.install)
    rig.remove_service()
    installation.run("/i")
    try:
        start_to_stopped(bench, installation, watcher_exe)
        # The floor gets what the launcher gave the VM but its hooks, which need the launcher's code.
        options = [option for option in bridge_record(rig, runtime)["options"]
                   if option not in ("vfprintf", "exit", "abort")]
        floor_args = [floor_exe, installation.install, runtime.home + "\\bin\\server\\jvm.dll", MAIN_CLASS, "2",
                      installation.install, installation.data, *options]
        ours, floor = [], []
        for _ in range(runs):
            ours.append(start_to_stopped(bench, installation, watcher_exe))
            returncode, text, seconds = bench.timed(*floor_args)
            if returncode != 3:
                raise RuntimeError(f"launch-floor: {returncode} {text}")
            floor.append(seconds * 1000)
        median_above = median([a - b for a, b in zip(ours, floor)])
        figure("failure", ours, floor, "ms", f"at most {GOAL_MS} ms above the floor",
               lambda _: median_above <= GOAL_MS, f"above the floor {median_above:.1f} ms")
    finally:
        rig.remove_service()
