"""memory: peak resident memory of the launcher's process running the sample application from a
console, against the floor (launch-floor.exe) running it with the same VM options; for reference
the floor in the launcher's shape (--as-launcher)."""

import shutil
from pathlib import Path

from installation import bridge_record, install_java, jdk17, make_installation
from measure import figure, median, note

MAIN_CLASS = "de/ardilux/vorna/Vorna"
BEATS = "heartbeat 3"


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig, app=None)
    sample = Path(rig.config["sample"])
    install_dir = rig.host_path(installation.install)
    shutil.copy(sample / "vorna.jar", install_dir / "vorna.jar")
    shutil.copy(rig.config["sample_properties"], install_dir / "vorna.properties")
    bench.strip_launcher(installation)
    runtime = jdk17()
    install_java(rig, runtime)
    floor_exe = bench.place("launch_floor", installation.install)
    heartbeat = rig.host_path(installation.data + "heartbeat.log")
    stop = rig.host_path(installation.data + "stop")

    def measure(args):
        heartbeat.unlink(missing_ok=True)
        return bench.peak_memory(args, lambda: heartbeat.exists() and BEATS in heartbeat.read_text(),
                                 lambda: stop.write_text(""))

    ours_args = [installation.exe]
    measure(ours_args)
    options = bridge_record(rig, runtime)["options"]
    floor_args = [floor_exe, installation.install, runtime.home + "\\bin\\server\\jvm.dll", MAIN_CLASS, "2",
                  installation.install, installation.data, *options]
    shaped_args = [floor_exe, "--as-launcher", *floor_args[1:]]
    samples = {"ours": [], "floor": [], "shaped": []}
    kinds = [("ours", ours_args), ("floor", floor_args), ("shaped", shaped_args)]
    for index in range(runs):
        for name, args in kinds[index % 3:] + kinds[:index % 3]:
            samples[name].append(measure(args))
    difference = median([a - b for a, b in zip(samples["ours"], samples["floor"])])
    figure("memory", samples["ours"], samples["floor"], "MiB", "difference <= 2 MiB", lambda _: difference <= 2.0,
           f"difference {difference:+.1f} MiB")
    note("", f"for reference, the floor in the launcher's shape: {median(samples['shaped']):.1f} MiB, ours "
             f"{median([a - b for a, b in zip(samples['ours'], samples['shaped'])]):+.1f} MiB beside it")
