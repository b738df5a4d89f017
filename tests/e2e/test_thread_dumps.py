"""Thread dumps of the running application: on request ("/dump", a control of the service's own
through the service control manager), and by the launcher itself whenever a bound of a stop runs
out with the VM alive. Each is the VM's own
full dump (threads, stacks, locks, deadlocks) with a header line, in the log folder's
"vorna-threads.log", named in the log before the launcher goes on."""

import re
import unittest

from service_case import (
    ERROR_SERVICE_DOES_NOT_EXIST,
    ERROR_SERVICE_NOT_ACTIVE,
    NOT_OPENED,
    STOP_PENDING,
    STOPPED,
    STOPPED_AFTER_WAIT,
    ServiceCase,
    rig,
)
from winerig import ANSI_CODE_PAGE

DUMPS = "log\\vorna-threads.log"
HEADER = re.compile(r"\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d \[VORNA\] Thread dump \((.*)\)")
WRITTEN = re.compile(r"Thread dump \((.*)\) written to (.*) in (\d+) ms\.")


class ThreadDumps(ServiceCase):
    def dumps(self):
        """Each dump of the file: its reason and its text."""
        path = rig.host_path(self.installation.data + DUMPS)
        text = path.read_bytes().decode(ANSI_CODE_PAGE, "replace") if path.exists() else ""
        self.assertTrue(not text or text.endswith("\r\n\r\n"), "a dump ends with a line end and an empty line")
        parts = re.split(r"^(" + HEADER.pattern + r")\r\n", text, flags=re.M)
        # re.split gives the text before the first header, then per dump: header, reason, text.
        return [(parts[i + 1], parts[i + 2].replace("\r\n", "\n")) for i in range(1, len(parts) - 1, 3)]

    def written_lines(self):
        """The log's lines of the dumps written, with the time each took."""
        messages = [line[28:] for line in self.installation.log_text().splitlines()]
        return [WRITTEN.fullmatch(message) for message in messages if WRITTEN.fullmatch(message)]

    def ask_for_dump(self):
        self.assertCommand(["/dump"], f"Thread dump written to {self.installation.data}{DUMPS}.\n")

    def test_a_dump_is_asked_of_a_service_that_runs_only(self):
        cases = [
            ("not installed", None, NOT_OPENED, ERROR_SERVICE_DOES_NOT_EXIST),
            ("stopped", STOPPED, "ControlService failed (/dump).\nERROR_SERVICE_NOT_ACTIVE (1062)\n",
             ERROR_SERVICE_NOT_ACTIVE),
        ]
        for name, state, text, code in cases:
            with self.subTest(name):
                if state is not None:
                    self.install()
                self.assertCommand(["/dump"], text, code)
                self.assertFalse(rig.host_path(self.installation.data + DUMPS).exists())
                self.assertEqual(self.installation.log_messages(), [])

    def test_a_dump_on_request_shows_a_thread_its_method_and_the_lock_it_holds(self):
        self.run_service(worker="lock")
        self.wait_for_event("worker-started")
        self.ask_for_dump()
        [(reason, text)] = self.dumps()
        self.assertEqual(reason, "asked for by /dump")
        self.assertIn('"test-lock-holder"', text)
        self.assertRegex(text, r'"test-lock-holder" #\d+ daemon .*\n\s+java.lang.Thread.State: TIMED_WAITING')
        self.assertRegex(text, r"\tat de\.ardilux\.vorna\.Vorna\.sleepHoldingTheTestLock\(Vorna\.java:\d+\)\n"
                               r"\t- locked <0x[0-9a-f]+> \(a de\.ardilux\.vorna\.Vorna\$TestLock\)")
        # The whole dump: the VM's own threads and the application's main too.
        self.assertIn("Full thread dump", text)
        self.assertIn('"Reference Handler"', text)
        self.assertIn("\tat de.ardilux.vorna.Vorna.main(", text)
        [written] = self.written_lines()
        self.assertEqual(written.group(1, 2), ("asked for by /dump", self.installation.data + DUMPS))

    def test_a_deadlock_is_found_and_reported(self):
        self.run_service(worker="deadlock")
        self.wait_for_event("worker-started")
        self.ask_for_dump()
        [(_, text)] = self.dumps()
        self.assertIn("Found one Java-level deadlock:", text)
        deadlock = text[text.index("Found one Java-level deadlock:"):]
        self.assertIn('"test-deadlock-1"', deadlock)
        self.assertIn('"test-deadlock-2"', deadlock)
        self.assertRegex(deadlock, r"waiting to lock monitor .*\(object 0x[0-9a-f]+, a de\.ardilux\.vorna\.Vorna\$TestLock\)")

    def test_a_bound_that_runs_out_leaves_a_dump_of_the_hanging_method_before_stopped(self):
        graceful_hangs = '"gracefulShutdown" still runs 10 s after the stop'
        # A gracefulShutdown that never returns never lets main end either.
        main_runs = '"main" still runs at the end of the stop'
        hook_hangs = "the VM's shutdown still waits for non-daemon threads or shutdown hooks"
        cases = [
            ("gracefulShutdown hangs", dict(gracefulShutdown="hang"), [graceful_hangs, main_runs],
             r"\tat de\.ardilux\.vorna\.Vorna\.gracefulShutdown\("),
            ("a shutdown hook hangs", dict(hook="hang"), [hook_hangs],
             r'"test-shutdown-hook" #\d+ .*\n(.*\n)*?\tat de\.ardilux\.vorna\.TestRecord\.sleepForever\('),
        ]
        for name, behaviour, reasons, hanging in cases:
            with self.subTest(name):
                rig.remove_service()
                self.forget_earlier_runs()
                rig.host_path(self.installation.data + DUMPS).unlink(missing_ok=True)
                self.run_service(**behaviour)
                watch = rig.start_watch(seconds=60, until_state=STOPPED)
                self.addCleanup(watch.stop)
                self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
                records = watch.records()
                messages = self.log_after_shutdown()
                dumps = self.dumps()
                self.assertEqual([reason for reason, _ in dumps], reasons)
                self.assertRegex(dumps[0][1], hanging)
                written = self.written_lines()
                self.assertEqual([line.group(1) for line in written], reasons)
                # Written before the launcher went on: before the service's last line.
                self.assertLess(messages.index(self.installation.dump_written(reasons[-1])),
                                messages.index("VORN Service Shutdown"))
                # The stop's bound grows by no more than the last dump's own time.
                stop_pending = next(record for record in records if record["state"] == STOP_PENDING)
                took = records[-1]["t"] - stop_pending["t"]
                self.assertLess(took, 30000 + int(written[-1].group(3)) + 1000, records[-3:])


if __name__ == "__main__":
    unittest.main()
