"""Faults of the running service: its process killed mid-run, and an application whose
gracefulShutdown never returns."""

import time
import unittest

from installation import DUMP_GRACEFUL, DUMP_MAIN
from service_case import STOP_PENDING, STOPPED, STOPPED_AFTER_WAIT, ServiceCase, rig
from stress_support import Background, tool, whole_lines

class ServiceProcessKilled(ServiceCase):
    def test_every_line_up_to_the_kill_is_whole_and_the_service_starts_again(self):
        pid = str(self.run_service()["pid"])
        self.assertEqual(tool("process_control", "wait", pid, "100").returncode, 3, "the service process runs")

        # Pause and continue keep the service writing its log while the kill comes; the storm
        # lasts until then, however long the first 50 lines take.
        storm = Background(rig.config["service_control"], "storm", "VORNA", "120000")
        self.addCleanup(storm.stop)
        deadline = time.monotonic() + 120
        while len(self.installation.log_messages()) < 50 and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertEqual(tool("process_control", "kill", pid).returncode, 0)
        self.assertEqual(tool("process_control", "wait", pid, "10000").returncode, 0, "the process is gone")
        storm.stop()

        messages = whole_lines(self.installation.log_path.read_bytes())
        self.assertEqual(messages[0], "VORN Service Startup")
        self.assertGreaterEqual(len(messages), 50)
        self.assertEqual(set(messages[1:]), {"Pausing VORNA...", "Continuing VORNA..."})
        # Windows shows the service stopped with 1067 once its process is gone; Wine 8's SCM keeps the
        # last report until the next start, so that is left to a Windows run.
        self.start_service()
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertEqual(self.log_after_shutdown().count("VORN Service Startup"), 2)


class GracefulShutdownNeverReturns(ServiceCase):
    def test_the_service_still_stops_and_its_process_ends(self):
        pid = str(self.run_service(gracefulShutdown="hang")["pid"])
        watch = rig.start_watch(seconds=60, until_state=STOPPED)
        self.addCleanup(watch.stop)

        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        records = watch.records()
        stop_pending = next(r for r in records if r["state"] == STOP_PENDING)
        stopped = records[-1]
        self.assertEqual((stopped["state"], stopped["exitcode"]), (STOPPED, 0), records)
        # The call is given up after 10 s, and main, which waits for the call, when the stop's 30 s
        # are over; a second of slack for the watcher.
        self.assertTrue(20000 < stopped["t"] - stop_pending["t"] <= 31000, records)
        self.assertEqual(tool("process_control", "wait", pid, "20000").returncode, 0, "the process ended")

        self.assertEqual(self.log_after_shutdown(),
                         ["VORN Service Startup", "Shutting down VORNA...",
                          'Timeout while waiting for "gracefulShutdown" method.',
                          self.installation.dump_written(DUMP_GRACEFUL),
                          'Timeout while waiting for "main" method to end.', self.installation.dump_written(DUMP_MAIN),
                          "VORN Service Shutdown"])
        calls = self.installation.event_names()
        self.assertIn("gracefulShutdown", calls)
        self.assertNotIn("main-exit", calls)


if __name__ == "__main__":
    unittest.main()
