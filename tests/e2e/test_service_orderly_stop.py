"""An orderly stop loses nothing: after gracefulShutdown the service waits for the application's
main method to finish its work and for the VM's own shutdown, which runs the shutdown hooks; all
the while it shows stop pending with growing check points, and then stopped, with nothing after."""

import time
import unittest

from service_case import RUNNING, STOP_PENDING, STOPPED, STOPPED_AFTER_WAIT, ServiceCase, rig
from stress_support import tool

STATE_SAVED = "".join(f"part {part} of 10\n" for part in range(1, 11)) + "complete\n"
STOP_EVENTS = ["gracefulShutdown", "state-saved", "main-exit", "shutdown-hook"]
# Covers the stop, the process's end after it, and a while beyond.
WATCH_SECONDS = 20


class OrderlyStop(ServiceCase):
    def state_file(self):
        path = rig.host_path(self.installation.data + "state.txt")
        return path.read_text(encoding="utf-8") if path.exists() else None

    def assertProgressReported(self, records):
        """From stop pending to stopped: each stop pending report takes the next check point, and
        the next report comes within its wait hint and within a few seconds, so that the service
        control manager never takes the stop for hung."""
        pending = records[:-1]
        checkpoints = [status["checkpoint"] for status in pending]
        self.assertEqual(checkpoints, sorted(set(checkpoints)), records)
        for status, following in zip(pending, records[1:]):
            self.assertGreater(status["waithint"], 0, status)
            # A second of slack for the watcher, which polls on the same loaded machine.
            self.assertLessEqual(following["t"] - status["t"], min(status["waithint"], 5000) + 1000, records)

    def test_main_finishes_its_work_and_the_shutdown_hook_runs(self):
        pid = str(self.run_service(main="save:3000", hook="record")["pid"])
        watch = rig.start_watch(seconds=WATCH_SECONDS)
        self.addCleanup(watch.stop)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)

        self.assertEqual(self.state_file(), STATE_SAVED)
        self.assertEqual(self.installation.event_names()[2:], STOP_EVENTS)
        self.assertEqual(self.log_after_shutdown(),
                         ["VORN Service Startup", "Shutting down VORNA...", "VORN Service Shutdown"])

        records = watch.records()
        self.assertEqual(tool("process_control", "wait", pid, "0").returncode, 0,
                         "the process ended while the watch still ran")
        states = [status["state"] for status in records]
        self.assertEqual(states[0], RUNNING, records)
        stop = states.index(STOP_PENDING)
        self.assertEqual(states[stop:], [STOP_PENDING] * (len(states) - stop - 1) + [STOPPED], records)
        self.assertProgressReported(records[stop:])
        self.assertEqual(records[-1]["exitcode"], 0, records[-1])
        # The application's 3 s of work lie inside the stop.
        self.assertGreater(records[-1]["t"] - records[stop]["t"], 3000, records)

    def test_the_client_waits_as_long_as_the_stop_takes(self):
        # Longer than the 10 s that "/stop" once waited.
        self.run_service(main="save:15000")
        sent_at = time.monotonic()
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertGreater(time.monotonic() - sent_at, 15)
        self.assertEqual(self.state_file(), STATE_SAVED)
        self.assertEqual(rig.query_service()["exitcode"], 0)


if __name__ == "__main__":
    unittest.main()
