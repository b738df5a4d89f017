"""What the stress and fault tests share: the shape of a whole log line, a Windows program running
in the background with its output in files, and the rig's own tools by name."""

import os
import re
import shutil
import tempfile
import time

from winerig import Rig

rig = Rig()

# One line as the log writer stores it: the time stamp, the tag, the message, CR LF.
LOG_LINE = re.compile(rb"\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d \[VORNA\] ([^\r\n]*)\r\n")


def whole_lines(content):
    """The messages of content, which must consist of whole log lines and nothing else; raises
    AssertionError naming the first byte offset that is not the start of a whole line."""
    messages = []
    offset = 0
    while offset < len(content):
        match = LOG_LINE.match(content, offset)
        if match is None:
            raise AssertionError(f"no whole log line at byte {offset}: {content[offset:offset + 120]!r}")
        messages.append(match.group(1).decode("latin-1"))
        offset = match.end()
    return messages


def tool(name, *args, timeout=120):
    """Runs one of the tests' own Windows tools (tests/tools), named as in the rig's config."""
    return rig.wine(rig.config[name], *args, timeout=timeout)


class Background:
    """A Windows program started in the background, its standard output and error in files."""

    def __init__(self, *args):
        self.directory = tempfile.mkdtemp(prefix="vorna-background-")
        self.stdout_path = os.path.join(self.directory, "stdout")
        self.stderr_path = os.path.join(self.directory, "stderr")
        self.process = rig.start_wine(*args, stderr_path=self.stderr_path, stdout_path=self.stdout_path)

    def output(self):
        with open(self.stdout_path, "rb") as handle:
            return handle.read().decode("latin-1").replace("\r\n", "\n")

    def errors(self):
        with open(self.stderr_path, "rb") as handle:
            return handle.read().decode("latin-1").replace("\r\n", "\n")

    def wait_for_output(self, text, seconds=60):
        deadline = time.monotonic() + seconds
        while text not in self.output():
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise AssertionError(f"no {text!r} from the program: {self.output()[-2000:]!r} {self.errors()[-2000:]!r}")
            time.sleep(0.01)

    def finish(self, seconds=120):
        """Waits for the program to end; returns its exit code."""
        return self.process.wait(timeout=seconds)

    def stop(self):
        """Ends it if it still runs (a test that failed early) and removes its files."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.directory, ignore_errors=True)
