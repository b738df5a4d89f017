"""launch: from starting the process to the Java main method being entered, the launcher from a
console against the floor (launch-floor.exe: the same jvm.dll, the same VM options, the same
main); for reference the floor in the launcher's shape (--as-launcher) and the plain java
launcher of this machine."""

import subprocess
import time

from installation import bridge_record, install_java, jdk17, make_installation
from measure import figure, median, note

MAIN_CLASS = "de/ardilux/vorna/Vorna"


def entered_after(installation, begin_micros):
    """Milliseconds from begin to the application's own record of entering main."""
    entered = [int(fields[1]) for fields in installation.events() if fields[0] == "entered"]
    if len(entered) != 1:
        raise RuntimeError(f"expected one entry of main, got {installation.events()}")
    return (entered[0] - begin_micros) / 1000.0


def measure(launch, installation):
    installation.rig.host_path(installation.data + "events.txt").unlink(missing_ok=True)
    begin = time.time_ns() // 1000
    launch()
    return entered_after(installation, begin)


def run(bench, runs):
    rig = bench.rig
    installation = make_installation(rig)
    bench.strip_launcher(installation)
    runtime = jdk17()
    install_java(rig, runtime)
    installation.set_behaviour(main="return")
    floor_exe = bench.place("launch_floor", installation.install)

    def ours():
        result = installation.run()
        if result.returncode != 0:
            raise RuntimeError(result.text)

    ours()
    options = bridge_record(rig, runtime)["options"]
    jvm_dll = runtime.home + "\\bin\\server\\jvm.dll"
    floor_args = [floor_exe, installation.install, jvm_dll, MAIN_CLASS, "2", installation.install, installation.data,
                  *options]

    def floor():
        result = rig.wine(*floor_args, timeout=300)
        if result.returncode != 0:
            raise RuntimeError(f"launch-floor: {result.returncode} {result.text}")

    def shaped():
        result = rig.wine(floor_exe, "--as-launcher", *floor_args[1:], timeout=300)
        if result.returncode != 0:
            raise RuntimeError(f"launch-floor --as-launcher: {result.returncode} {result.text}")

    install_dir = rig.host_path(installation.install)
    java_args = [bench.config["jdk_home"] + "/bin/java", "-cp", str(install_dir / "vorna.jar"),
                 # The VM's hooks ("vfprintf", "exit", "abort") are no options of the java launcher.
                 *[option for option in options
                   if option.startswith("-") and not option.startswith(("-Djava.class.path=", "-javaagent:"))],
                 f"-javaagent:{install_dir / 'libs' / 'spring-instrument-4.1.5.RELEASE.jar'}",
                 MAIN_CLASS.replace("/", "."), installation.install, installation.data]

    def java():
        # The application finds its files from the working directory, the installation directory.
        subprocess.run(java_args, cwd=install_dir, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=120)

    kinds = [("ours", ours), ("floor", floor), ("shaped", shaped), ("java", java)]
    for _, runner in kinds[1:]:
        runner()
    samples = {name: [] for name, _ in kinds}
    for index in range(runs):
        # Each run in another order, so that no kind always comes after the same one.
        for name, runner in kinds[index % 4:] + kinds[:index % 4]:
            samples[name].append(measure(runner, installation))
    ours_ms, shaped_ms = median(samples["ours"]), median(samples["shaped"])
    figure("launch", samples["ours"], samples["floor"], "ms", "ratio <= 1.05", lambda ratio: ratio <= 1.05)
    note("", f"for reference, the floor in the launcher's shape (dispatcher try, service check, VM and main on "
             f"threads of their own): {shaped_ms:.1f} ms, ours against it "
             f"{median([a / b for a, b in zip(samples['ours'], samples['shaped'])]):.3f}")
    note("", f"for reference, java -cp vorna.jar with the same options on this machine (no Wine): "
             f"{median(samples['java']):.1f} ms")
