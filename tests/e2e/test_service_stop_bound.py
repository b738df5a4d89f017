"""A stop is bounded whatever the application does after gracefulShutdown: a main method that never
ends, a non-daemon thread that never ends, a shutdown hook that never ends, also after
gracefulShutdown and main have taken most of the stop's time. The service waits for the step until
the stop's time is up, names the step in the log, reports stopped no later than 30 s after the
control, and its process ends."""

import unittest

from installation import DUMP_MAIN, DUMP_VM_SHUTDOWN
from service_case import STOP_PENDING, STOPPED, STOPPED_AFTER_WAIT, ServiceCase, rig
from stress_support import tool

MAIN_TIMEOUT = 'Timeout while waiting for "main" method to end.'
VM_SHUTDOWN_TIMEOUT = "Timeout while waiting for JVM shutdown (non-daemon threads, shutdown hooks)."
STOP_BOUND_MS = 30000


class StopBound(ServiceCase):
    def test_stopped_within_30_seconds_with_the_unfinished_step_logged(self):
        cases = [
            ("main never ends", dict(main="hang"), ["gracefulShutdown", "main-ignores-stop"], MAIN_TIMEOUT, DUMP_MAIN),
            ("a non-daemon thread never ends", dict(thread="hang"),
             ["thread-started", "gracefulShutdown", "main-exit"], VM_SHUTDOWN_TIMEOUT, DUMP_VM_SHUTDOWN),
            ("a shutdown hook never ends", dict(hook="hang"),
             ["gracefulShutdown", "main-exit", "shutdown-hook"], VM_SHUTDOWN_TIMEOUT, DUMP_VM_SHUTDOWN),
            # The VM's shutdown has what is left of the stop's 30 s, not a time of its own.
            ("gracefulShutdown and main take 14 s, then a shutdown hook never ends",
             dict(gracefulShutdown="delay:8000", main="save:6000", hook="hang"),
             ["gracefulShutdown", "state-saved", "main-exit", "shutdown-hook"], VM_SHUTDOWN_TIMEOUT,
             DUMP_VM_SHUTDOWN),
        ]
        for name, behaviour, events, timeout_line, dump in cases:
            with self.subTest(name):
                # Also after a case that failed with the service still installed.
                rig.remove_service()
                self.forget_earlier_runs()
                pid = str(self.run_service(**behaviour)["pid"])
                watch = rig.start_watch(seconds=60, until_state=STOPPED)
                self.addCleanup(watch.stop)
                self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)

                records = watch.records()
                stop_pending = next(status for status in records if status["state"] == STOP_PENDING)
                stopped = records[-1]
                self.assertEqual((stopped["state"], stopped["exitcode"]), (STOPPED, 0), records)
                took = stopped["t"] - stop_pending["t"]
                # The step had the rest of the stop's time, and then its thread dump's; a second of
                # slack for the watcher.
                dump_ms = self.installation.dump_milliseconds()
                self.assertTrue(20000 < took <= STOP_BOUND_MS + sum(dump_ms) + 1000,
                                f"stopped {took} ms after stop pending, dump {dump_ms} ms")
                self.assertEqual(tool("process_control", "wait", pid, "20000").returncode, 0, "the process ended")

                self.assertEqual(self.log_after_shutdown(),
                                 ["VORN Service Startup", "Shutting down VORNA...", timeout_line,
                                  self.installation.dump_written(dump),
                                  "VORN Service Shutdown"])
                self.assertEqual(self.installation.event_names()[2:], events)


if __name__ == "__main__":
    unittest.main()
