"""Installations of the launcher and Java runtimes inside the rig's prefix, the way an installer
would leave them: files under C:\\ and the registry values that point at them."""

import re
import shutil
import subprocess
import time
from dataclasses import dataclass, field
from pathlib import Path

from winerig import ANSI_CODE_PAGE, DEFAULT_INSTALL, SERVICE_NAME, Result, Rig, reg_string

AGENT_JAR = "spring-instrument-4.1.5.RELEASE.jar"
LOG_NAME = "log\\vorna-launcher.log"
OUTPUT_NAME = "log\\vorna-output.log"
# "dd.mm.yyyy HH:MM:SS " before each line of the output file.
OUTPUT_STAMP = 20
# Wine's answer when a process it creates dies in Wine's own start-up, before any of its program
# runs: ERROR_INTERNAL_ERROR, from CreateProcess, and so from StartService for the service's process.
ERROR_INTERNAL_ERROR = 1359
# run-with-command-line's status and message when its CreateProcess of the exe got that answer
RUNNER_NOT_STARTED = 65
LAUNCHER_NOT_STARTED = b"CreateProcess failed: 1359\r\n"
# The launcher's own last lines when its StartService got that answer for the service's process
SERVICE_NOT_STARTED = b"StartService failed.\r\nUnknown error code (1359)\r\n"
THREAD_DUMPS = "log\\vorna-threads.log"
# Why the launcher writes a thread dump by itself.
DUMP_GRACEFUL = '"gracefulShutdown" still runs 10 s after the stop'
DUMP_MAIN = '"main" still runs at the end of the stop'
DUMP_VM_SHUTDOWN = "the VM's shutdown still waits for non-daemon threads or shutdown hooks"
# A dump's log line ends with the time it took.
DUMP_TIME = re.compile(r"^(Thread dump \(.*\) written to .*) in \d+ ms\.$")


def dump_of_method(method):
    return f'"{method}" still runs 10 s after the control'

LEGACY_JDK_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Development Kit"
LEGACY_JRE_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Runtime Environment"
JDK_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\JDK"
JRE_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\JRE"


@dataclass
class Installation:
    rig: Rig
    install: str = DEFAULT_INSTALL
    data: str = None
    exe_name: str = "vorna-launcher.exe"

    def __post_init__(self):
        if self.data is None:
            self.data = self.install + "data\\"

    @property
    def exe(self):
        return self.install + self.exe_name

    @property
    def log_path(self):
        return self.rig.host_path(self.data + LOG_NAME)

    def log_text(self):
        """The log as text (it is in the ANSI code page), CR LF made plain; empty when there is none."""
        path = self.log_path
        return path.read_bytes().decode(ANSI_CODE_PAGE, "replace").replace("\r\n", "\n") if path.exists() else ""

    def log_messages(self):
        """The messages of the log's lines, without their time stamps, and a thread dump's line
        without the time the dump took."""
        return [DUMP_TIME.sub(r"\1.", line[28:]) for line in self.log_text().splitlines()]

    def dump_milliseconds(self):
        """How long each thread dump the log names took, in order."""
        times = re.findall(r"\[VORNA\] Thread dump \(.*\) written to .* in (\d+) ms\.", self.log_text())
        return [int(time) for time in times]

    def dump_written(self, reason):
        """The log line of a thread dump written for reason, as log_messages gives it."""
        return f"Thread dump ({reason}) written to {self.data}{THREAD_DUMPS}."

    @property
    def output_path(self):
        return self.rig.host_path(self.data + OUTPUT_NAME)

    def output_lines(self, path=None):
        """The lines of the output file (or of path, one of its rolled-over files), without their
        time stamps; empty when there is none."""
        path = path or self.output_path
        if not path.exists():
            return []
        text = path.read_bytes().decode(ANSI_CODE_PAGE, "replace")
        assert text.endswith("\r\n") or not text, f"{path} does not end with a whole line"
        return [line[OUTPUT_STAMP:] for line in text.split("\r\n")[:-1]]

    def rolled_files(self, name="vorna-output"):
        """The rolled-over files of a log (by its name without ".log") by their number, in order."""
        folder = self.rig.host_path(self.data + "log\\")
        numbered = []
        for path in folder.glob(f"{name}.*.log"):
            number = path.name[len(name) + 1:-len(".log")]
            if number.isdigit():
                numbered.append((int(number), path))
        return [path for _, path in sorted(numbered)]

    def events(self):
        """What the Java test application recorded, one list of fields per call."""
        path = self.rig.host_path(self.data + "events.txt")
        if not path.exists():
            return []
        return [line.split("\t") for line in path.read_text(encoding="utf-8").splitlines()]

    def event_names(self):
        return [fields[0] for fields in self.events()]

    def run(self, *args, timeout=180):
        """Runs the launcher from a console, by its Windows path."""
        return self.rig.wine(self.exe, *args, timeout=timeout)

    def run_for_exit_code(self, *args, timeout=180):
        """Runs the launcher from a console through run-with-command-line, which prints the exe's
        whole exit code once it has ended: Wine hands a Linux parent only the low 8 bits of a
        Windows exit code. The Result's returncode is the whole code; the runner ends every run
        with a line, so a run that Wine never started is repeated and no other: the runner itself
        not started (rig_tool repeats that), the launcher not started, or the service's process
        that a "/start" asked for not started. Wine answers the last two now and then under load
        with ERROR_INTERNAL_ERROR, the new process having died in Wine's own start-up before
        running anything of its program."""
        runner = self.rig.config["run_with_command_line"]
        for attempt in range(3):
            if attempt:
                time.sleep(1)
            result = self.rig.rig_tool(runner, self.exe, subprocess.list2cmdline([self.exe, *args]), timeout=timeout)
            if not never_started(result):
                break
        ended = re.fullmatch(rb"(.*)exit=(\d+)\r?\n", result.stdout, re.DOTALL)
        if ended is None:
            raise RuntimeError(f"the runner did not see the launcher end ({result.returncode}): {result.stdout!r} "
                               f"{result.stderr!r}")
        return Result(int(ended.group(2)), ended.group(1), result.stderr)

    def start(self, *args, stderr_path, stdout_path=None):
        return self.rig.start_wine(self.exe, *args, stderr_path=stderr_path, stdout_path=stdout_path)

    def set_behaviour(self, **calls):
        """Tells the Java test application how to act on each call (see TestRecord.java)."""
        lines = "".join(f"{call}={java_escaped(action)}\n" for call, action in calls.items())
        self.rig.host_path(self.data + "behaviour.properties").write_text(lines, encoding="ascii")

    def set_agent_behaviour(self, behaviour):
        """Tells the test agent (make_installation(agent="test-agent")) how to act in its premain."""
        self.rig.host_path(self.install + "agent-behaviour.txt").write_text(behaviour, encoding="utf-8")

    def write_properties(self, content):
        self.rig.host_path(self.install + "vorna.properties").write_bytes(content)


def never_started(result):
    """Whether a run of run-with-command-line got ERROR_INTERNAL_ERROR from Wine for the launcher's
    process or, through the launcher's StartService, for the service's."""
    if result.returncode == RUNNER_NOT_STARTED and not result.stdout:
        return LAUNCHER_NOT_STARTED in result.stderr
    return (re.fullmatch(rb"exit=%d\r?\n" % ERROR_INTERNAL_ERROR, result.stdout) is not None
            and result.stderr.endswith(SERVICE_NOT_STARTED))


def java_escaped(text):
    """Text as a Java properties file holds it: what is beyond ASCII as \\u escapes."""
    return "".join(c if ord(c) < 0x80 else "".join(f"\\u{unit:04x}" for unit in utf16_units(c)) for c in text)


def utf16_units(character):
    encoded = character.encode("utf-16-be")
    return [int.from_bytes(encoded[i:i + 2], "big") for i in range(0, len(encoded), 2)]


def make_installation(
    rig,
    install=DEFAULT_INSTALL,
    data=None,
    app="service-app",
    agent=True,
    log_directory=True,
    properties=None,
    registry=True,
    exe_name="vorna-launcher.exe",
):
    """A fresh installation directory with the launcher exe, the application jar (app names a
    test jar, or None for none), the agent (True for the installation's own, a test jar's name,
    or False for none), and the data directory with or without its log folder;
    its paths registered in the launcher's key. Whatever the directories held is removed first."""
    installation = Installation(rig, install, data, exe_name)
    install_dir = rig.host_path(install)
    data_dir = rig.host_path(installation.data)
    for directory in (install_dir, data_dir):
        if directory.exists():
            shutil.rmtree(directory)
    install_dir.mkdir(parents=True)
    data_dir.mkdir(parents=True, exist_ok=True)
    shutil.copy(rig.config["launcher"], install_dir / exe_name)
    jars = Path(rig.config["jars"])
    if app is not None:
        shutil.copy(jars / f"{app}.jar", install_dir / "vorna.jar")
    if agent:
        (install_dir / "libs").mkdir()
        agent_jar = rig.config["agent_jar"] if agent is True else jars / f"{agent}.jar"
        shutil.copy(agent_jar, install_dir / "libs" / AGENT_JAR)
    if log_directory:
        (data_dir / "log").mkdir(parents=True, exist_ok=True)
    if properties is not None:
        installation.write_properties(properties)
    if registry:
        rig.set_launcher_paths(install, installation.data)
    return installation


@dataclass
class JavaRuntime:
    """One Java runtime: where it registers (key None: nowhere), its version and home, and what
    stands in its VM folders."""

    key: str = LEGACY_JDK_KEY
    version: str = "1.8"
    home: str = "C:\\Java\\jdk8"
    vm_folder: str = "jre\\bin\\server"
    # "bridge", "bridge-dependent" (the bridge importing runtime-dependency.dll), "no-export",
    # "not-a-library", or None for no file
    library: str = "bridge"
    register_home: bool = True
    extra_library_folders: list = field(default_factory=list)
    dependency_folder: str = None  # where runtime-dependency.dll lies, relative to the home


def jdk8(**changes):
    return JavaRuntime(**changes)


def jre8(**changes):
    values = dict(key=LEGACY_JRE_KEY, home="C:\\Java\\jre8", vm_folder="bin\\server")
    values.update(changes)
    return JavaRuntime(**values)


def jdk17(**changes):
    values = dict(key=JDK_KEY, version="17", home="C:\\Java\\jdk-17", vm_folder="bin\\server")
    values.update(changes)
    return JavaRuntime(**values)


def jre17(**changes):
    values = dict(key=JRE_KEY, version="17", home="C:\\Java\\jre-17", vm_folder="bin\\server")
    values.update(changes)
    return JavaRuntime(**values)


def unregistered(home, vm_folder="bin\\server", **changes):
    """A runtime that no registry key names: one that vorna.properties names, or that an
    installation brings along."""
    return JavaRuntime(key=None, version=None, home=home, vm_folder=vm_folder, **changes)


def install_java(rig, *runtimes, bridge_config=None):
    """Replaces every registered Java runtime by these, and puts the files of these (registered or
    not) in place. bridge_config, when given, is written as jvm-bridge.cfg beside each bridge
    library (e.g. "option=-Xcheck:jni\\n")."""
    rig.clear_java()
    lines = []
    for runtime in runtimes:
        home = rig.host_path(runtime.home + "\\")
        if home.exists():
            shutil.rmtree(home)
        home.mkdir(parents=True)
        for folder in [runtime.vm_folder, *runtime.extra_library_folders]:
            if folder is None or runtime.library is None:
                continue
            target = home.joinpath(*folder.split("\\"))
            target.mkdir(parents=True, exist_ok=True)
            place_library(rig, runtime.library, target / "jvm.dll")
            if runtime.library.startswith("bridge") and bridge_config is not None:
                (target / "jvm-bridge.cfg").write_text(bridge_config, encoding="utf-8")
        if runtime.dependency_folder is not None:
            folder = home.joinpath(*runtime.dependency_folder.split("\\"))
            folder.mkdir(parents=True, exist_ok=True)
            shutil.copy(rig.config["runtime_dependency_dll"], folder)
        if runtime.key is None:
            continue
        lines.append(f"[{runtime.key}]")
        lines.append(f'"CurrentVersion"={reg_string(runtime.version)}')
        lines.append(f"[{runtime.key}\\{runtime.version}]")
        if runtime.register_home:
            lines.append(f'"JavaHome"={reg_string(runtime.home)}')
    if lines:
        rig.reg_import("\n".join(lines))


def place_library(rig, kind, path):
    if kind == "bridge":
        shutil.copy(rig.config["bridge_dll"], path)
    elif kind == "bridge-dependent":
        shutil.copy(rig.config["bridge_dependent_dll"], path)
    elif kind == "no-export":
        shutil.copy(rig.config["no_export_dll"], path)
    elif kind == "not-a-library":
        path.write_text("this is not a library\n", encoding="ascii")
    else:
        raise ValueError(kind)


def bridge_record(rig, runtime):
    """What the bridge library of the runtime was given by the last VM creation: a dict with
    version, nOptions, ignoreUnrecognized and result, and the list of option strings (in the ANSI
    code page, as the launcher passed them); None when no VM was created through it."""
    folder = rig.host_path(runtime.home + "\\").joinpath(*runtime.vm_folder.split("\\"))
    path = folder / "jvm-bridge-record.txt"
    if not path.exists():
        return None
    fields = {"options": []}
    for line in path.read_bytes().decode(ANSI_CODE_PAGE, "replace").splitlines():
        key, _, value = line.partition("=")
        if key == "option":
            fields["options"].append(value)
        else:
            fields[key] = value
    return fields


def bridge_threads(rig, runtime):
    """The threads through which the last VM of the runtime's bridge library was reached: a dict
    of each Linux thread id to the set of its uses ("create", "jnienv", "destroy"); empty when no
    VM was created through it."""
    folder = rig.host_path(runtime.home + "\\").joinpath(*runtime.vm_folder.split("\\"))
    path = folder / "jvm-bridge-threads.txt"
    threads = {}
    if path.exists():
        for line in path.read_text(encoding="ascii").splitlines():
            thread, use = line.split(" ")
            threads.setdefault(int(thread), set()).add(use)
    return threads
