"""dump: the time from running "/dump" to the thread dump complete in the log folder's file (the
command ends once the service has written it), for an application with 200 more threads, beside
the VM's own dump of the same process through the same diagnostic command called in-process by
the application itself, without the service path."""

import time

from figure_commands import start_service
from installation import install_java, jdk17, make_installation
from measure import figure, median, note

THREADS = 200
DUMPS = "log\\vorna-threads.log"


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig)
    bench.strip_launcher(installation)
    install_java(rig, jdk17())
    installation.set_behaviour(threads=str(THREADS))
    if "done." not in installation.run("/i").text:
        raise RuntimeError("cannot install the service")
    start_service(rig, installation)
    deadline = time.monotonic() + 60
    while "threads-started" not in installation.event_names():
        if time.monotonic() > deadline:
            raise RuntimeError(f"the application did not start its threads: {installation.event_names()}")
        time.sleep(0.05)
    dumps = rig.host_path(installation.data + DUMPS)
    request = rig.host_path(installation.data + "floor-dump-request")

    def ours():
        before = dumps.stat().st_size if dumps.exists() else 0
        code, text, seconds = bench.timed(installation.exe, "/dump")
        if code != 0 or not dumps.exists() or dumps.stat().st_size <= before:
            raise RuntimeError(f"/dump: {code} {text}")
        return seconds * 1000.0

    def floor():
        done = len([fields for fields in installation.events() if fields[0] == "floor-dump"])
        request.write_text("")
        deadline = time.monotonic() + 60
        while True:
            taken = [fields for fields in installation.events() if fields[0] == "floor-dump"]
            if len(taken) > done:
                return int(taken[-1][1]) / 1000.0
            if time.monotonic() > deadline:
                raise RuntimeError(f"no in-process dump: {installation.event_names()[-5:]}")
            time.sleep(0.01)

    # The first dump of each kind loads the management classes.
    ours()
    floor()
    samples = {"ours": [], "floor": []}
    kinds = [("ours", ours), ("floor", floor)]
    for index in range(runs):
        for name, measure in kinds[index % 2:] + kinds[:index % 2]:
            samples[name].append(measure())
    own = installation.dump_milliseconds()
    figure("dump", samples["ours"], samples["floor"], "ms", "ratio <= 1.2", lambda ratio: ratio <= 1.2,
           f"{THREADS} threads more, /dump to the file complete beside the diagnostic command in-process")
    note("", f"of /dump's time, the launcher's dump in the service (attach, command, file): {median(own):.1f} ms "
             f"({median(own) / median(samples['floor']):.2f} of the floor); the rest is the command's process and "
             f"the service control manager's round trip")
    result = installation.run("/stop")
    if not result.text.endswith("stopped.\n"):
        raise RuntimeError(result.text)
    rig.remove_service()
