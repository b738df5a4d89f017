"""The Wine test rig: a prefix of its own for each test process, the real exe run by its Windows
path, the registry seeded from .reg files, and the standard error stream and exit code of every run
captured.

A test run keeps a small pool of prefixes under the build tree, each with a persistent wineserver.
A test process takes one that no other test process holds (a lock on the prefix's lock file, let go
by the kernel when the process ends, however it ends), makes it the first time it is taken, and has
it to itself: each test may reset the registry keys and services it uses. `rigctl.py setup` removes
what an earlier run left, `rigctl.py teardown` ends every prefix's wineserver and removes it. A rig
given a "prefix" of its own in its config (the demo, the bench) uses that one.
"""

import fcntl
import json
import os
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path, PureWindowsPath

WINE = "/usr/lib/wine/wine64"
WINESERVER = "wineserver"
SERVICE_NAME = "VORNA"
LAUNCHER_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Ardilux\VORNA"
JAVASOFT_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft"
DEFAULT_INSTALL = "C:\\VORNA\\"
# The Unix locale of every Wine process of the rig, and the ANSI code page Wine derives from it:
# the launcher's narrow text (its paths, its log, its console output) is in that code page. Wine
# maps file names beyond ASCII only under a UTF-8 locale, which HotSpot then uses for them too;
# C.UTF-8 is there on every Debian machine, whatever else is installed.
LOCALE = "C.UTF-8"
ANSI_CODE_PAGE = "cp1252"
# What Wine's start.exe prints when the program it was to run could not be started at all.
WINE_COULD_NOT_START = b"Application could not be started"
FIXTURES = Path(__file__).resolve().parent.parent / "fixtures"


def load_config(path=None):
    """The build's facts (file locations), written by CMake at configure time."""
    with open(path or os.environ["VORNA_RIG_CONFIG"], encoding="utf-8") as handle:
        return json.load(handle)


@dataclass
class Result:
    returncode: int
    stdout: bytes
    stderr: bytes

    @property
    def text(self):
        """The standard error stream as text (the launcher's is in the ANSI code page), with Windows
        line ends made plain."""
        return self.stderr.decode(ANSI_CODE_PAGE, "replace").replace("\r\n", "\n")


def crlf(text):
    """What a text-mode Windows stream makes of text: each line feed stored as CR LF, in the ANSI
    code page."""
    return text.replace("\n", "\r\n").encode(ANSI_CODE_PAGE)


# The prefix of the pool that this process holds, and the open lock file that holds it.
_pool_prefix = None
_pool_lock = None
READY_MARK = ".rig-ready"
# What `wineserver -p` ends with when the prefix's server runs already.
WINESERVER_RUNNING = 2


def pool_prefixes(config):
    """The pool's prefixes, each with the lock file that a process holds while it uses it."""
    directory = Path(config["prefix_pool"])
    return [(directory / f"prefix-{number}", directory / f"prefix-{number}.lock")
            for number in range(int(config["prefix_pool_size"]))]


def lock_pool_prefix(lock_path, wait):
    """The open lock file once this process holds it; None when another process does and wait is
    False. The descriptor is not inherited, so a Wine program started by the test never holds it."""
    handle = open(lock_path, "a")
    try:
        fcntl.flock(handle, fcntl.LOCK_EX | (0 if wait else fcntl.LOCK_NB))
    except BlockingIOError:
        handle.close()
        return None
    return handle


def take_pool_prefix(config, seconds=3600):
    """Takes a prefix of the pool that no other process holds, waiting while all are held (ctest
    runs as many tests at once as the pool has prefixes, so that is only for runs with more)."""
    global _pool_prefix, _pool_lock
    if _pool_prefix is not None:
        return _pool_prefix
    prefixes = pool_prefixes(config)
    prefixes[0][1].parent.mkdir(parents=True, exist_ok=True)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for prefix, lock_path in prefixes:
            handle = lock_pool_prefix(lock_path, wait=False)
            if handle is not None:
                _pool_prefix, _pool_lock = prefix, handle
                return prefix
        time.sleep(0.2)
    raise RuntimeError(f"no prefix of the pool was free within {seconds} s")


class Rig:
    def __init__(self, config=None):
        self.config = config or load_config()
        pooled = "prefix" not in self.config
        newly_taken = pooled and _pool_prefix is None
        self.prefix = take_pool_prefix(self.config) if pooled else Path(self.config["prefix"])
        self.drive_c = self.prefix / "drive_c"
        if newly_taken:
            self.make_ready()

    # --- Wine itself -------------------------------------------------------------------------

    def env(self):
        env = dict(os.environ)
        env.update(
            WINEPREFIX=str(self.prefix),
            WINEDEBUG="-all",
            WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d",
            LC_ALL=LOCALE,
        )
        return env

    def wine(self, *args, timeout=120, stdin=None):
        """Runs a Windows program; output goes through files, never pipes, so that no process
        Wine starts in the background can hold a reader open.

        Now and then (about once in a few hundred calls on a loaded machine) Wine cannot create the
        program's process at all and falls back to start.exe, which says so on the standard output
        stream: that program never ran, so it is started once more."""
        result = self._run_wine(args, timeout, stdin)
        if result.returncode != 0 and WINE_COULD_NOT_START in result.stdout:
            result = self._run_wine(args, timeout, stdin)
        return result

    def rig_tool(self, *args, timeout=120):
        """Runs one of the rig's own programs (reg, service-query, process-control), whose calls may
        be repeated.

        Each of them writes at least one line whichever way it ends, also when it ends with a status
        it gives on purpose (service-query's "not installed", a settle that timed out): those are
        answers, never repeated. Now and then (a few times in ten thousand calls, more often in the
        seconds after a process that hosted the VM has ended, and seen twice in a row) Wine does
        not run the program at all and it ends with status 1 before writing anything: only such a
        call is made again, up to three times in all, a second apart. The launcher's own runs are
        never repeated; their tests check every byte they print."""
        for attempt in range(3):
            if attempt:
                time.sleep(1)
            result = self.wine(*args, timeout=timeout)
            if result.returncode == 0 or result.stdout or result.stderr:
                break
        return result

    def _run_wine(self, args, timeout, stdin):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(
                [WINE, *args], env=self.env(), stdin=stdin or subprocess.DEVNULL, stdout=out, stderr=err
            )
            try:
                returncode = process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                raise
            out.seek(0)
            err.seek(0)
            return Result(returncode, out.read(), err.read())

    def start_wine(self, *args, stderr_path, stdout_path=None):
        """Starts a Windows program in the background, its standard error stream (and, when asked,
        its standard output) into files."""
        with open(stderr_path, "wb") as err, open(stdout_path or os.devnull, "wb") as out:
            return subprocess.Popen([WINE, *args], env=self.env(), stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def make_ready(self):
        """A prefix of the pool is made by the first test process that takes it; later ones make
        sure its wineserver still runs, since an idle one ends after its persistence time and the
        next Wine call would start one that does not persist (see setup)."""
        if (self.prefix / READY_MARK).exists():
            self.start_wineserver()
        else:
            self.setup()

    def start_wineserver(self):
        """A persistent wineserver for the prefix; a second start while one runs does nothing.
        Persistent, so running services survive between the tests' wine calls; bounded, so that a
        run that never reaches its teardown still leaves nothing behind for long. Neither the server
        nor services.exe (booted by the first call) may inherit the streams of the test runner,
        which would then wait for them to close."""
        with open(self.boot_log(), "ab") as log:
            started = subprocess.run([WINESERVER, "-p300"], env=self.env(), stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=log)
        if started.returncode not in (0, WINESERVER_RUNNING):
            raise RuntimeError(f"wineserver -p300 failed ({started.returncode}); see {self.boot_log()}")

    def boot_log(self):
        return self.prefix.with_name(self.prefix.name + "-wineboot.log")

    def setup(self):
        """A fresh prefix with a persistent wineserver."""
        self.teardown()
        self.prefix.mkdir(parents=True)
        self.start_wineserver()
        with open(self.boot_log(), "ab") as log:
            # On a new prefix the loader itself initialises it; "-u" adds no second boot.
            subprocess.run([WINE, "wineboot", "-u"], env=self.env(), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                           check=True, timeout=300)
        result = self.rig_tool(self.config["service_query"], "settle", "120000", timeout=180)
        if result.returncode != 0:
            raise RuntimeError(f"the prefix's own services did not settle: {result.stdout!r} {result.stderr!r}")
        self.forget_service_pipe()
        (self.prefix / READY_MARK).touch()

    def teardown(self):
        """Ends this prefix's wineserver, with every process of the prefix, and removes the prefix."""
        end_prefix(self.prefix)

    # --- Paths -------------------------------------------------------------------------------

    def host_path(self, windows_path):
        """The Linux path of a path on drive C: of the prefix."""
        path = PureWindowsPath(windows_path)
        if path.drive.upper() != "C:":
            raise ValueError(f"not on drive C: {windows_path}")
        return self.drive_c.joinpath(*path.parts[1:])

    # --- Registry ----------------------------------------------------------------------------

    def reg_import(self, text):
        """Imports .reg text (without its header line); lines as in regedit's export format."""
        body = "Windows Registry Editor Version 5.00\n\n" + text.strip("\n") + "\n"
        with tempfile.NamedTemporaryFile("wb", suffix=".reg", dir=self.drive_c, delete=False) as handle:
            # UTF-16 with its byte order mark, as regedit writes it: any character gets through.
            handle.write(body.replace("\n", "\r\n").encode("utf-16"))
            name = handle.name
        try:
            result = self.rig_tool("reg", "import", "C:\\" + Path(name).name)
            if result.returncode != 0:
                raise RuntimeError(f"reg import failed ({result.returncode}): {result.stderr!r} {result.stdout!r}\n{body}")
        finally:
            os.unlink(name)

    def reg_import_fixture(self, name, **substitutions):
        """Imports tests/fixtures/registry/<name>.reg, filling its {placeholders}."""
        text = (FIXTURES / "registry" / f"{name}.reg").read_text(encoding="latin-1")
        text = text.replace("\r\n", "\n").split("\n", 1)[1]
        self.reg_import(text.format(**substitutions) if substitutions else text)

    def set_launcher_paths(self, install=DEFAULT_INSTALL, data=None):
        """Resets the launcher's key; None for a value leaves it out."""
        lines = [f"[-{LAUNCHER_KEY}]", f"[{LAUNCHER_KEY}]"]
        if install is not None:
            lines.append(f'"InstallPath"={reg_string(install)}')
        if data is not None:
            lines.append(f'"DataPath"={reg_string(data)}')
        self.reg_import("\n".join(lines))

    def clear_java(self):
        self.reg_import(f"[-{JAVASOFT_KEY}]")

    # --- Services ----------------------------------------------------------------------------

    def query_service(self, name=SERVICE_NAME):
        """The service's status record and configuration as the service control manager has them,
        or None when it is not installed."""
        result = self.rig_tool(self.config["service_query"], "query", name, timeout=60)
        if result.returncode == 2:
            return None
        if result.returncode != 0:
            raise RuntimeError(f"service query failed ({result.returncode}): {result.stdout!r} {result.stderr!r}")
        return parse_fields(result.stdout.decode("latin-1"))

    def watch_service(self, name=SERVICE_NAME, seconds=30, until_state=None):
        """Every distinct status record the service shows while polled for up to seconds (or until
        it shows until_state after another state), in order."""
        args = [self.config["service_query"], "watch", name, str(int(seconds * 1000))]
        if until_state is not None:
            args.append(str(until_state))
        result = self.rig_tool(*args, timeout=seconds + 60)
        if result.returncode not in (0, 3):
            raise RuntimeError(f"service watch failed ({result.returncode}): {result.stderr!r}")
        return [parse_fields(line) for line in result.stdout.decode("latin-1").splitlines() if line.strip()]

    def start_watch(self, name=SERVICE_NAME, seconds=30, until_state=None):
        """Watches the service in the background while a test acts on it: returns once the watcher
        polls (it has shown the first record), so that nothing the test does next is missed."""
        return ServiceWatch(self, name, seconds, until_state)

    def wait_for_state(self, state, name=SERVICE_NAME, seconds=30):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            status = self.query_service(name)
            if status is not None and status["state"] == state:
                return status
            time.sleep(0.1)
        raise AssertionError(f"service {name} did not reach state {state} within {seconds} s: {status}")

    def forget_service_pipe(self):
        """Wine's StartServiceCtrlDispatcher, called from a console, opens the control pipe of the
        service that services.exe started last; while that service runs, the call waits out the
        pipe's 10 s timeout before it fails with 1063 (on Windows it fails at once), and while that
        service is still starting, a console process can even take its place. Pointing the
        registry's counter at an unused pipe restores the Windows behaviour. Call this once a
        started service has connected (it reports running or has stopped)."""
        result = self.rig_tool("reg", "add", r"HKLM\SYSTEM\CurrentControlSet\Control\ServiceCurrent", "/ve", "/t",
                           "REG_DWORD", "/d", "4000000000", "/f")
        if result.returncode != 0:
            raise RuntimeError(f"cannot reset the service pipe counter ({result.returncode}): {result.stderr!r} {result.stdout!r}")

    def remove_service(self, name=SERVICE_NAME):
        """Stops the service if it runs and deletes it; waits until it is gone."""
        if self.query_service(name) is None:
            return
        self.rig_tool(self.config["service_query"], "remove", name, timeout=90)


def end_prefix(prefix):
    """Ends the wineserver of a prefix (and with it every process of the prefix) and removes it."""
    if not prefix.exists():
        return
    env = dict(os.environ, WINEPREFIX=str(prefix))
    quiet = dict(env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-k"], **quiet)
    subprocess.run([WINESERVER, "-w"], timeout=60, **quiet)
    shutil.rmtree(prefix, ignore_errors=True)


def end_pool(config):
    """Ends and removes every prefix of the pool, each once no test process holds it."""
    for prefix, lock_path in pool_prefixes(config):
        if not lock_path.parent.exists():
            return
        with lock_pool_prefix(lock_path, wait=True):
            end_prefix(prefix)


class ServiceWatch:
    """A `service-query watch` running in the background, its output in files."""

    def __init__(self, rig, name, seconds, until_state):
        self.seconds = seconds
        self.directory = tempfile.mkdtemp(prefix="vorna-watch-")
        self.output = os.path.join(self.directory, "stdout")
        self.errors = os.path.join(self.directory, "stderr")
        args = [rig.config["service_query"], "watch", name, str(int(seconds * 1000))]
        if until_state is not None:
            args.append(str(until_state))
        # The watcher writes its first record at once; one that ends silently was never run by Wine
        # (see Rig.rig_tool) and is started again.
        for _ in range(3):
            self.process = rig.start_wine(*args, stderr_path=self.errors, stdout_path=self.output)
            deadline = time.monotonic() + 60
            while not self._text(self.output) and self.process.poll() is None:
                if time.monotonic() > deadline:
                    self.stop()
                    raise RuntimeError(f"the watcher of {name} showed nothing within 60 s")
                time.sleep(0.02)
            if self._text(self.output) or self._text(self.errors) or self.process.returncode == 0:
                break
            time.sleep(1)

    @staticmethod
    def _text(path):
        with open(path, "rb") as handle:
            return handle.read().decode("latin-1")

    def records(self):
        """Waits until the watch ends (its time is up, or the service showed until_state) and
        returns every distinct status record it saw, in order; raises when the watcher could not
        query the service."""
        try:
            self.process.wait(timeout=self.seconds + 60)
            if self.process.returncode not in (0, 3):
                raise AssertionError(f"the watcher failed ({self.process.returncode}): {self._text(self.errors)}")
            return [parse_fields(line) for line in self._text(self.output).splitlines() if line.strip()]
        finally:
            self.stop()

    def stop(self):
        """Ends the watcher if it still runs (a test that fails early) and removes its files."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.directory, ignore_errors=True)


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def parse_fields(line):
    """Parses 'key=value' fields separated by tabs; numbers become int."""
    fields = {}
    for item in line.strip().split("\t"):
        if "=" in item:
            key, value = item.split("=", 1)
            try:
                fields[key] = int(value, 0)
            except ValueError:
                fields[key] = value
    return fields
