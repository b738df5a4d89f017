"""The demo behind demo.sh: the sample installation in a Wine prefix of its own, run from a
console and then as a service."""

import shutil
import sys
import time
from pathlib import Path

from installation import AGENT_JAR, install_java, jdk17, make_installation
from winerig import Rig, load_config

SERVICE_RUNNING = 4
SERVICE_PAUSED = 7
SERVICE_STOPPED = 1


def show(title, text):
    print(f"\n### {title}")
    print(text.rstrip("\n"))


def wait_for(predicate, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.2)
    raise SystemExit(f"demo: gave up waiting for {what}")


def command(installation, *args):
    result = installation.run(*args)
    # Only the command's own output; the banner before it is the same every time.
    show(f"vorna-launcher.exe {' '.join(args)}", result.text.split("=" * 71 + "\n", 1)[-1])
    return result


def install_sample(rig):
    installation = make_installation(rig, app=None, agent=True)
    sample = Path(rig.config["sample"])
    install_dir = rig.host_path(installation.install)
    shutil.copy(sample / "vorna.jar", install_dir / "vorna.jar")
    shutil.copy(rig.config["sample_properties"], install_dir / "vorna.properties")
    assert (install_dir / "libs" / AGENT_JAR).exists()
    install_java(rig, jdk17())
    return installation


def console_run(rig, installation):
    heartbeat = rig.host_path(installation.data + "heartbeat.log")
    stderr_path = rig.prefix.parent / "console-stderr.txt"
    stdout_path = rig.prefix.parent / "console-stdout.txt"
    process = installation.start("/d", stderr_path=stderr_path, stdout_path=stdout_path)
    wait_for(lambda: heartbeat.exists() and heartbeat.read_text().count("heartbeat") >= 3, 60, "three heartbeats")
    rig.host_path(installation.data + "stop").write_text("")
    process.wait(timeout=60)
    show("vorna-launcher.exe /d (standard error stream)", stderr_path.read_bytes().decode("latin-1").replace("\r\n", "\n"))
    show("what the Java VM and the application printed (standard output)", stdout_path.read_text(errors="replace"))
    show(f"exit code {process.returncode}; {installation.data}heartbeat.log", heartbeat.read_text())
    show(f"{installation.data}log\\vorna-launcher.log", installation.log_text())
    heartbeat.unlink()
    installation.log_path.unlink()


def service_run(rig, installation):
    heartbeat = rig.host_path(installation.data + "heartbeat.log")
    command(installation, "/i")
    command(installation, "/start")
    rig.wait_for_state(SERVICE_RUNNING)
    rig.forget_service_pipe()
    wait_for(lambda: heartbeat.exists() and "heartbeat 2" in heartbeat.read_text(), 60, "the service's heartbeats")
    command(installation, "/check")
    command(installation, "/dump")
    dumps = installation.rig.host_path(installation.data + "log\\vorna-threads.log")
    show(f"{installation.data}log\\vorna-threads.log (its first lines)",
         "\n".join(dumps.read_bytes().decode("latin-1").replace("\r\n", "\n").splitlines()[:12]))
    command(installation, "/pause")
    rig.wait_for_state(SERVICE_PAUSED)
    time.sleep(2)
    command(installation, "/cont")
    rig.wait_for_state(SERVICE_RUNNING)
    time.sleep(2)
    command(installation, "/stop")
    command(installation, "/u")
    command(installation, "/check")
    show(f"{installation.data}heartbeat.log", heartbeat.read_text())
    show(f"{installation.data}log\\vorna-launcher.log", installation.log_text())
    output = installation.output_path
    show(f"{installation.data}log\\vorna-output.log (what the service's application printed)",
         output.read_bytes().decode("latin-1").replace("\r\n", "\n") if output.exists() else "(none)")


def main(config_path, prefix):
    config = load_config(config_path)
    config["prefix"] = prefix
    rig = Rig(config)
    print(f"Preparing a Wine prefix at {prefix} ...")
    rig.setup()
    try:
        installation = install_sample(rig)
        print("\n=== The sample application in the foreground, with debug output ===")
        console_run(rig, installation)
        print("\n=== The sample application as the service VORNA ===")
        service_run(rig, installation)
    finally:
        rig.teardown()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
