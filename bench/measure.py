"""What every figure shares: the bench's own Wine prefix, runs of Windows programs timed or
measured for peak memory, medians, and the one line a figure prints."""

import json
import os
import statistics
import subprocess
import tempfile
import threading
import time

from winerig import WINE, Rig, load_config


class Bench:
    """The rig on a prefix of the bench's own, and the programs the figures are measured against."""

    def __init__(self, config_path):
        with open(config_path, encoding="utf-8") as handle:
            self.config = json.load(handle)
        rig_config = load_config(self.config["rig_config"])
        rig_config["prefix"] = self.config["prefix"]
        self.rig = Rig(rig_config)

    def place(self, name, windows_folder):
        """Copies one of the bench's programs into the prefix without its debug sections; returns
        its Windows path, so that it starts the way the launcher does (by a C:\\ path)."""
        source = self.config[name]
        target = windows_folder + os.path.basename(source)
        self.strip(source, self.rig.host_path(target))
        return target

    def strip_launcher(self, installation):
        """The installation's launcher without its debug sections. A MinGW image keeps its DWARF
        sections in the exe, and Wine reads such an image whole, so they would count as resident
        memory and as loading time (Windows pages them in only when touched, which never happens)."""
        self.strip(self.rig.config["launcher"], self.rig.host_path(installation.exe))

    def strip(self, source, target):
        subprocess.run([self.config["strip"], "--strip-debug", "-o", str(target), source], check=True)

    def timed(self, *args, seconds=300):
        """Runs a Windows program to its end; returns (its exit code, its standard error stream as
        text, the wall seconds from start to end). The wait blocks: a wait with a timeout would
        poll, and its sleeps (up to 50 ms) would be measured too."""
        with tempfile.TemporaryFile() as errors:
            begin = time.perf_counter()
            process = subprocess.Popen([WINE, *args], env=self.rig.env(), stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=errors)
            watchdog = threading.Timer(seconds, process.kill)
            watchdog.start()
            returncode = process.wait()
            elapsed = time.perf_counter() - begin
            watchdog.cancel()
            errors.seek(0)
            return returncode, errors.read().decode("latin-1").replace("\r\n", "\n"), elapsed

    def peak_memory(self, args, until, finish, seconds=120):
        """Starts a Windows program, waits until until() holds, calls finish(), and returns the
        peak resident memory of its process in MiB once it has ended. The process Wine starts for
        the program is the program's own (the loader execs itself), so its rusage is the program's."""
        with open(os.devnull, "wb") as null:
            process = subprocess.Popen([WINE, *args], env=self.rig.env(), stdin=subprocess.DEVNULL, stdout=null,
                                       stderr=null)
        deadline = time.monotonic() + seconds
        while not until():
            if time.monotonic() > deadline or process.poll() is not None:
                process.kill()
                raise RuntimeError(f"{args[0]} did not get there within {seconds} s")
            time.sleep(0.05)
        finish()
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
        return usage.ru_maxrss / 1024.0


def median(values):
    return statistics.median(values)


def figure(name, ours, floor, unit, goal, met, extra=""):
    """One line from paired samples (run i of ours beside run i of the floor): the name, the
    medians of ours and of the floor, the median of the pairs' ratios (which a machine's changing
    load disturbs less than a ratio of medians), anything the goal is about, the goal and whether
    it is met (met is given that median ratio), and how many runs there were."""
    ratio = median([a / b for a, b in zip(ours, floor)])
    parts = [f"{name:<8}", f"ours {median(ours):.1f} {unit}", f"floor {median(floor):.1f} {unit}",
             f"ratio {ratio:.3f}"]
    if extra:
        parts.append(extra)
    parts += [f"goal {goal}: {'met' if met(ratio) else 'NOT met'}", f"median of {len(ours)} runs"]
    print(" | ".join(parts), flush=True)


def note(name, text):
    """A line of reference beside the figures, not a figure of its own."""
    print(f"{name:<8} {text}", flush=True)
