"""output: what capturing the application's output as the service costs. Lines per second that the
application writes to System.out and System.err as the service, captured into the log folder,
beside the same application writing the same lines to a file stream of its own; and the time from
spawning a process to the Java main method being entered with the capture (launch-floor --capture,
the launcher's own capture code) beside the same start without."""

import time

from figure_commands import start_service
from figure_launch import MAIN_CLASS, measure
from installation import bridge_record, install_java, jdk17, make_installation
from measure import figure, median, note

LINES = 20000


def printing_rate(bench, installation, behaviour):
    """Lines per second of the application's print loop, as the service, from its own record of
    the loop's time."""
    rig = bench.rig
    rig.host_path(installation.data + "events.txt").unlink(missing_ok=True)
    installation.set_behaviour(**behaviour)
    start_service(rig, installation)
    deadline = time.monotonic() + 120
    while not [fields for fields in installation.events() if fields[0] == "printed"]:
        if time.monotonic() > deadline:
            raise RuntimeError(f"the application did not print: {installation.event_names()}")
        time.sleep(0.05)
    took_micros = int(next(fields[1] for fields in installation.events() if fields[0] == "printed"))
    result = installation.run("/stop")
    if not result.text.endswith("stopped.\n"):
        raise RuntimeError(result.text)
    return LINES / (took_micros / 1e6)


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig)
    bench.strip_launcher(installation)
    runtime = jdk17()
    install_java(rig, runtime)

    result = installation.run("/i")
    if "done." not in result.text:
        raise RuntimeError(result.text)
    kinds = [("ours", dict(print=str(LINES))), ("floor", dict(print=str(LINES), **{"print-to": "file"}))]
    samples = {name: [] for name, _ in kinds}
    printing_rate(bench, installation, kinds[0][1])
    for index in range(runs):
        for name, behaviour in kinds[index % 2:] + kinds[:index % 2]:
            samples[name].append(printing_rate(bench, installation, behaviour))
    figure("output", samples["ours"], samples["floor"], "lines/s", "ratio >= 0.8", lambda ratio: ratio >= 0.8,
           f"{LINES} lines of 100 characters, System.out and System.err in turn, as the service")
    rig.remove_service()

    installation.set_behaviour(main="return")
    result = installation.run()
    if result.returncode != 0:
        raise RuntimeError(result.text)
    options = bridge_record(rig, runtime)["options"]
    floor_exe = bench.place("launch_floor", installation.install)
    jvm_dll = runtime.home + "\\bin\\server\\jvm.dll"
    common = [installation.install, jvm_dll, MAIN_CLASS, "2", installation.install, installation.data, *options]

    def start(*capture):
        def launch():
            result = rig.wine(floor_exe, "--as-launcher", *capture, *common, timeout=300)
            if result.returncode != 0:
                raise RuntimeError(f"launch-floor: {result.returncode} {result.text}")
        return launch

    starts = [("with", start("--capture", installation.data)), ("without", start())]
    spawn = {name: [] for name, _ in starts}
    for _, launch in starts:
        launch()
    own_record = rig.host_path(installation.data + "capture-start.txt")
    own_record.unlink(missing_ok=True)
    for index in range(runs):
        for name, launch in starts[index % 2:] + starts[:index % 2]:
            spawn[name].append(measure(launch, installation))
    own_ms = median([int(line) / 1000 for line in own_record.read_text().split()])
    figure("capture", spawn["with"], spawn["without"], "ms", "ratio <= 1.02", lambda ratio: ratio <= 1.02,
           "spawn to main entered, launch-floor --as-launcher with --capture beside without")
    note("", f"of the difference, the launcher's capture code itself: {own_ms:.2f} ms "
             f"({(median(spawn['without']) + own_ms) / median(spawn['without']):.3f} of the start without); the rest is "
             f"the test VM library's relay threads, which hand pipe handles' output on under Wine")
