"""HotSpot's VM output file (-XX:+LogVMOutput -XX:LogFile=...) as the JNI tests read it: whether
the VM finished it, which thread wrote each line of the VM's output stream, and which of the
reports of -Xcheck:jni come from the JDK's debugging agent rather than from the program that
hosts the VM.

HotSpot writes the file as XML. The VM's output stream is the text of its <tty> element, with
markup between (text is escaped, so a line that starts with "<" is markup), and before each change
of the writing thread HotSpot puts <writer thread='N'/>, N being the kernel's id of that thread:
the id the test VM library records for the threads that carry the program's calls
(jvm-bridge-threads.txt). Only a VM that goes down in order (DestroyJavaVM, System.exit, or an
abort by the VM itself) finishes the file, with

    <tty_done stamp='S'/>
    </tty>
    <hotspot_log_done stamp='S'/>
    </hotspot_log>

A process that ends while its VM still runs leaves the file cut short."""

import re
import time
from dataclasses import dataclass

# The first line of each report of the JNI checks: "WARNING in native method: ...", "WARNING: JNI
# local refs: ...", "FATAL ERROR in native method: ..." and the warning about calls inside a
# critical region.
JNI_REPORT = re.compile(r"WARNING|FATAL ERROR|Warning: Calling other JNI functions")

FINISHED = re.compile(r"<tty_done stamp='[0-9.]+'/>\n</tty>\n<hotspot_log_done stamp='[0-9.]+'/>\n</hotspot_log>\n\Z")
WRITER = re.compile(r"<writer thread='(\d+)'/>")

# The JDK's debugging agent, as the VM options load it.
DEBUGGING_AGENT = re.compile(r"-Xrunjdwp:|-agentlib:jdwp(=|$)")
# What older HotSpot 17 builds say when a native frame holds more local references than the
# checks' threshold of 32, as the debugging agent's start-up does (later builds no longer count
# them).
LOCAL_REFS_REPORT = re.compile(r"WARNING: JNI local refs: \d+, exceeds capacity: 32")
LOCAL_REFS_REPORT_FORMAT = b"WARNING: JNI local refs: %lu, exceeds capacity: %lu"


@dataclass
class Report:
    writer: int  # the kernel's id of the thread that printed it; None before any writer mark
    text: str  # its first line

    def __str__(self):
        return f"thread {self.writer}: {self.text}"


class VmOutput:
    """One VM's output file; its name holds the id of the process, as -XX:LogFile=...%p.log
    makes it ("pid<N>")."""

    def __init__(self, path):
        self.path = path
        self.pid = int(re.search(r"pid(\d+)", path.name).group(1))

    def wait_until_written(self, seconds=60):
        """Waits until the process whose VM wrote the file has ended: only then is there nothing
        more to come (a service process ends a moment after it reports stopped)."""
        deadline = time.monotonic() + seconds
        while process_runs(self.pid):
            if time.monotonic() > deadline:
                raise AssertionError(f"the process {self.pid} that wrote {self.path} still runs after {seconds} s")
            time.sleep(0.1)

    @property
    def text(self):
        return self.path.read_text(encoding="utf-8", errors="replace")

    def finished(self):
        """True when the VM finished the file: it went down in order."""
        return "<tty>\n" in self.text and FINISHED.search(self.text) is not None

    def stream(self):
        """The <tty> part: the VM's output stream with its writer marks, as far as it was written."""
        text = self.text
        start = text.find("<tty>\n")
        if start < 0:
            return ""
        end = text.find("<tty_done ", start)
        return text[start + len("<tty>\n"):end if end >= 0 else len(text)]

    def reports(self):
        """Every report of the JNI checks in the stream, with the thread that printed it."""
        reports = []
        writer = None
        for line in self.stream().splitlines():
            mark = WRITER.fullmatch(line)
            if mark:
                writer = int(mark.group(1))
            elif not line.startswith("<") and JNI_REPORT.search(line):
                reports.append(Report(writer, line))
        return reports


def process_runs(pid):
    """True while the process has not ended; one that ended but was not reaped yet (a zombie, as
    under a container's init that reaps no orphans) has ended."""
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii", errors="replace") as stat:
            state = stat.read().rsplit(")", 1)[1].split()[0]
    except (FileNotFoundError, ProcessLookupError, IndexError):
        return False
    return state not in ("Z", "X")


def loads_debugging_agent(options):
    return any(DEBUGGING_AGENT.match(option) for option in options)


def is_agent_report(report, threads, options):
    """True for the debugging agent's report on the local references of its start-up.

    The VM starts its agents inside JNI_CreateJavaVM, on the thread that creates it; the agent's
    start-up makes its JNI calls there. So the report is the agent's when the VM loads that agent,
    when it says exactly that, and when it comes from the thread that created the VM and through
    which the program made no JNIEnv call of its own: what that thread did, the VM and its agents
    did. threads maps each thread id of the test VM library's record to its uses ("create",
    "jnienv", "destroy")."""
    return (
        loads_debugging_agent(options)
        and LOCAL_REFS_REPORT.fullmatch(report.text) is not None
        and threads.get(report.writer) == {"create"}
    )


def split_reports(output, threads, options):
    """The reports of the JNI checks as (the debugging agent's, all others)."""
    agent, others = [], []
    for report in output.reports():
        (agent if is_agent_report(report, threads, options) else others).append(report)
    return agent, others


def hotspot_reports_local_refs(libjvm):
    """Whether this HotSpot build counts local references, and so makes the debugging agent's
    report."""
    with open(libjvm, "rb") as library:
        return LOCAL_REFS_REPORT_FORMAT in library.read()
