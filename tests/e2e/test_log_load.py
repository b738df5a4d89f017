"""The log under load: the launcher's log writer in a process of its own writes from 8 threads at
once while a second launcher process tries the same log and a reader opens it."""

import re
import time
import unittest

from installation import make_installation
from stress_support import Background, rig, tool, whole_lines

THREADS = 8
LINES = 10000
LOAD_LINE = re.compile(r"load thread (\d) line (\d{5}) abcdefghijklmnopqrstuvwxyz-ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789")


class LogUnderLoad(unittest.TestCase):
    def setUp(self):
        self.installation = make_installation(rig)
        # Without Java the second launcher ends right after its first two log lines.
        rig.clear_java()
        rig.remove_service()
        self.log = self.installation.data + "log\\vorna-launcher.log"
        self.release = self.installation.data + "release"

    def start_writer(self):
        writer = Background(rig.config["log_load"], "write", self.installation.data, str(THREADS), str(LINES),
                            self.release)
        self.addCleanup(writer.stop)
        # Whatever happens, the writer lets go of the log when the test ends.
        self.addCleanup(lambda: rig.host_path(self.release).write_text(""))
        writer.wait_for_output("ready\n")
        return writer

    def test_eight_threads_lose_nothing_while_a_second_launcher_is_refused_and_a_reader_reads(self):
        writer = self.start_writer()
        rig.host_path(self.release + ".go").write_text("")
        # Once the log exists, the writer has it open.
        deadline = time.monotonic() + 60
        while not self.installation.log_path.exists() and time.monotonic() < deadline:
            time.sleep(0.001)

        second = self.installation.run()
        reader = tool("file_share", "read", self.log)

        writer.wait_for_output(f"written {THREADS * LINES}\n", seconds=300)
        rig.host_path(self.release).write_text("")
        self.assertEqual(writer.finish(), 0, writer.errors())

        refusal = f"Error while opening log file '{self.log}': ERROR_SHARING_VIOLATION (32)\n"
        # Both of its lines ("VORN Service Startup", the missing Java) are refused; it goes on all the same,
        # to its end as a launch without Java.
        self.assertEqual(second.text.count(refusal), 2, second.text)
        self.assertTrue(second.text.endswith("Error: no JRE or JDK found.\n"), second.text)
        self.assertEqual(second.returncode, 1)

        content = self.installation.log_path.read_bytes()
        self.assertFalse(writer.errors(), "the writer's own calls all found the log open")
        messages = whole_lines(content)
        self.assertEqual(len(messages), THREADS * LINES)
        next_line = [0] * THREADS
        for message in messages:
            match = LOAD_LINE.fullmatch(message)
            self.assertIsNotNone(match, message)
            thread, line = int(match.group(1)), int(match.group(2))
            # Each thread's lines arrive whole, once, and in the order it wrote them.
            self.assertEqual(line, next_line[thread], message)
            next_line[thread] += 1
        self.assertEqual(next_line, [LINES] * THREADS)

        self.assertEqual(reader.returncode, 0, reader.stderr)
        self.assertTrue(reader.stdout)
        self.assertTrue(content.startswith(reader.stdout))
        # What the reader saw up to its last line end was whole lines; a line being written may follow.
        whole_lines(reader.stdout[: reader.stdout.rfind(b"\r\n") + 2])


if __name__ == "__main__":
    unittest.main()
