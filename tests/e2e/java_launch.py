"""What the tests of the Java launch from a console share: the texts the launcher prints on the
way, the split of its standard error stream from the VM's, a check of what two threads printed
into one stream, and the turn-taking for the VM's debugging port."""

import os
import re
import socket
import tempfile
import time
from contextlib import contextmanager

from winerig import ANSI_CODE_PAGE, crlf

SEPARATOR = "=" * 71 + "\n"
BANNER = "\nArdilux Keltrane Server version 3.0.0 (64 bit)\n\n" + SEPARATOR
MAIN_CLASS = "de/ardilux/vorna/Vorna"
AGENT_OPTION = "-javaagent:libs/spring-instrument-4.1.5.RELEASE.jar"
DEBUG_OPTIONS = [
    "-Xdebug",
    "-Xrunjdwp:transport=dt_socket,server=y,address=127.0.0.1:8000,suspend=n",
    "-XX:+PrintGCDetails",
    "-XX:+PrintConcurrentLocks",
    "-XX:+HeapDumpOnOutOfMemoryError",
]
HOOK_OPTIONS = ["vfprintf", "exit", "abort"]
JDK8_DISCOVERY = ("1.8", "C:\\Java\\jdk8\\jre", "C:\\Java\\jdk8\\jre\\bin\\server\\jvm.dll")
JDK17_DISCOVERY = ("17", "C:\\Java\\jdk-17", "C:\\Java\\jdk-17\\bin\\server\\jvm.dll")
DEBUG_PORT = 8000
DEBUG_PORT_TURN = "\0vorna-debug-port-8000"


def prepare_console(rig):
    """No service "VORNA", and Wine's dispatcher pointed at no service's pipe, so that a console
    launch starts at once whatever the tests before left behind."""
    rig.remove_service()
    rig.forget_service_pipe()


def console_start(installation):
    """Everything a console launch prints before it looks for Java."""
    return (
        f"logPath == {installation.data}log\\vorna-launcher.log\n"
        + BANNER
        + "Checking for running service ...\nVORNA is not active, starting ...\n"
    )


def discovery_lines(version, home, library):
    return f"Java Version:\t\t{version}\nJava Home:\t\t{home}\nUsing JRE DLL:\t\t{library}\n"


def classpath_line(installation):
    return f"Classpath option:\t-Djava.class.path={installation.install}vorna.jar\n"


def option_lines(installation, heap="512M", level=0):
    """The class path and heap lines, with what looking up "memsize" prints at a debug level between
    them (the properties file has been read before, for "javahome"), and what looking up "logsize"
    and "logfiles" prints after them."""
    trace = "getConfigOption(const char*)\n" if level >= 2 else ""
    return classpath_line(installation) + trace + f"Memory option:\t\t-Xmx{heap}\n" + trace * 2


def no_config_file(installation, level=0):
    """What looking up "javahome", the first setting read, prints at a debug level when there is no
    properties file."""
    path = f"{installation.install}vorna.properties"
    trace = f"getConfigOption(const char*)\nLoading config from {path}...\n" if level >= 2 else ""
    return trace + f"Could not open config file ({path})\n"


def launch_text(installation, discovery=JDK8_DISCOVERY, heap="512M", config_trace=None, level=0):
    """What a console launch at a debug level prints up to the start of the VM, with the separator
    after it. discovery is the registered runtime's version, home and VM library, or the lines
    printed for a runtime found otherwise; config_trace is what reading the properties file
    printed before the search for Java, by default that there is none."""
    if config_trace is None:
        config_trace = no_config_file(installation, level)
    return (
        console_start(installation)
        + config_trace
        + (discovery if isinstance(discovery, str) else discovery_lines(*discovery))
        + option_lines(installation, heap, level)
        + SEPARATOR
        + "\n"
    )


def vm_options(installation, heap="512M", debug=False):
    """The options the VM is created with, as the bridge records them: the three hooks (whose
    extraInfo the record leaves out), then the listed ones."""
    options = [f"-Djava.class.path={installation.install}vorna.jar", f"-Xmx{heap}", AGENT_OPTION]
    return HOOK_OPTIONS + options + (DEBUG_OPTIONS if debug else [])


# A line of the VM's unified logging ("/d" turns its GC log on), which reaches the console and the
# log through the launcher's message hook: "[0.012s][info   ][gc,init] ...".
VM_LOG_LINE = re.compile(r"\[\d+\.\d+s\]\[\w+ *\]\[[\w,]+ *\] [^\n]*\n")
GC_DETAILS_WARNING = "[warning][gc] -XX:+PrintGCDetails is deprecated. Will use -Xlog:gc* instead."


def without_vm_log(text):
    """Text without the lines of the VM's unified logging."""
    return VM_LOG_LINE.sub("", text)


def launcher_log(installation):
    """The log's messages without the lines of the VM's unified logging."""
    return [message for message in installation.log_messages() if not VM_LOG_LINE.fullmatch(message + "\n")]


def split_streams(stderr):
    """Splits a run's standard error stream into the launcher's text and the VM's.

    Under Wine the VM is Linux HotSpot writing its own lines straight to the stream with bare line
    feeds, while the launcher's text-mode stream writes CR LF; and Wine's msvcrt buffers the
    launcher's redirected stream up to a line end (Windows writes it unbuffered), holding back a
    line end that follows another, so a VM line can overtake the launcher's last empty line. Each
    part is therefore checked on its own: the launcher's as plain text, the VM's as text."""
    launcher, vm = [], []
    for line in re.findall(rb"[^\n]*\n|[^\n]+$", stderr):
        if line.endswith(b"\n") and not line.endswith(b"\r\n"):
            vm.append(line)
        else:
            launcher.append(line)
    return b"".join(launcher), b"".join(vm).decode("utf-8", "replace")


def launcher_text(stderr):
    """The launcher's part of the stream, CR LF made plain, after checking that every line end of
    it is CR LF."""
    launcher, _ = split_streams(stderr)
    text = launcher.decode(ANSI_CODE_PAGE, "replace").replace("\r\n", "\n")
    assert crlf(text) == launcher, launcher
    return text


def is_interleaving(text, *threads):
    """True when text is exactly the fragments of the threads (each the output of one print call,
    in that thread's order) merged in some order."""
    memo = {}

    def match(position, next_fragments):
        if position == len(text):
            return all(index == len(thread) for index, thread in zip(next_fragments, threads))
        key = (position, next_fragments)
        if key not in memo:
            memo[key] = any(
                text.startswith(thread[index], position)
                and match(position + len(thread[index]),
                          next_fragments[:number] + (index + 1,) + next_fragments[number + 1:])
                for number, (index, thread) in enumerate(zip(next_fragments, threads))
                if index < len(thread)
            )
        return memo[key]

    return match(0, (0,) * len(threads))


def supervision_checks(text):
    """The main thread's prints for the "/d" "/d" checks that found the Java main thread still
    running (as many as the text holds), then the start of the last check."""
    running = text.count("running!\n")
    return ["Checking jvmThread status... ", "running!\n"] * running + ["Checking jvmThread status... "]


def normalise_addresses(test, text):
    """Replaces the two addresses of the VM creation trace by <address>, after checking that each
    is a full-width non-zero pointer."""
    pattern = re.compile(r"(Got address of function JNI_CreateJavaVM: |Started JVM; jvm = )([0-9A-Fa-f]+)\n")
    addresses = [match.group(2) for match in pattern.finditer(text)]
    test.assertEqual(len(addresses), 2, text)
    for address in addresses:
        test.assertEqual(len(address), 16, text)
        test.assertNotEqual(int(address, 16), 0, text)
    return pattern.sub(r"\1<address>\n", text)


def wait_for_log_message(installation, message, seconds=60):
    """Waits until the launcher's log holds message; False when it does not within seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if message in installation.log_messages():
            return True
        time.sleep(0.2)
    return False


def run_until_logged(installation, message, seconds=60):
    """Runs a console launch until its log holds message, then ends it if it still runs (a launch
    whose VM was not created waits a minute for it); False when the message did not come."""
    with tempfile.TemporaryDirectory() as folder:
        process = installation.start(stderr_path=os.path.join(folder, "stderr"))
        try:
            return wait_for_log_message(installation, message, seconds)
        finally:
            if process.poll() is None:
                process.kill()
            process.wait()


@contextmanager
def debug_port():
    """With "/d" the VM listens on TCP port 8000 of the loopback interface, which every build tree
    on the machine shares, and cannot start while another process holds it: test runs of other
    build trees take turns, and each waits for any other listener to let the port go.

    The turn is a Unix socket bound to a name of the abstract namespace. Only one process can hold
    the name; the kernel lets it go when that process ends, however it ends; and the name belongs
    to the network namespace, as the port does, so runs in a chroot (a fresh root) and on the host
    take turns too, which a lock file in either's /tmp would not make them."""
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as turn:
        wait_until(lambda: holds(turn, DEBUG_PORT_TURN), 600, "another test run keeps its turn at the debugging port")
        wait_until(lambda: port_is_free(DEBUG_PORT), 120, f"TCP port {DEBUG_PORT} stays taken by another process")
        yield


def holds(turn, name):
    try:
        turn.bind(name)
    except OSError:
        return False
    return True


def wait_until(condition, seconds, failure):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise RuntimeError(failure)
        time.sleep(0.2)


def port_is_free(port):
    with socket.socket() as probe:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            probe.bind(("127.0.0.1", port))
        except OSError:
            return False
        return True


def run_launcher(installation, *arguments, timeout=60):
    """Runs the launcher from a console; a "/d" run takes its turn at the debugging port. A launch
    takes seconds: the time limit only ends a launcher whose application never returns."""
    if "/d" not in arguments:
        return installation.run(*arguments, timeout=timeout)
    with debug_port():
        return installation.run(*arguments, timeout=timeout)


LEVEL_1_START = "Creating JVM...\nNew JVM loaded.\nStarting Java program...\n"
# With "/d" "/d", up to the Java main thread's first line; addresses as normalise_addresses leaves them.
LEVEL_2_START = (
    "Creating JVM...\n"
    "Loading JVM DLL.\n"
    "Got address of function JNI_CreateJavaVM: <address>\n"
    "Started JVM; jvm = <address>\n"
    "New JVM loaded.\n"
    "Starting Java program...\n"
)


def main_thread_trace(installation):
    """The "/d" "/d" lines of the Java main thread up to the hand-over to main."""
    return (
        "Attached to JVM\nFound Class\nFound main method\n"
        f'Adding argument 0: "{installation.install}"\n'
        f'Adding argument 1: "{installation.data}"\n'
    )
