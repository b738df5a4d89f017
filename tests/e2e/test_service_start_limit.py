"""A Java main method that is not entered within the start's 30 s (a static initialiser that takes
35 s at a slow boot): the service gives up at the limit, stops with 1066 and the main thread's
259, and the application's main is never entered afterwards."""

import unittest

from service_case import ERROR_SERVICE_SPECIFIC_ERROR, START_PENDING, ServiceCase, rig

START_LIMIT_MS = 30000
STILL_ACTIVE = 259


class MainStartLimit(ServiceCase):
    def test_a_main_entered_after_the_limit_is_never_entered(self):
        rig.host_path(self.installation.install + "class-init-delay.txt").write_text("35000", encoding="ascii")
        self.install()
        records, process_status = self.start_until_stopped()

        stopped = records[-1]
        self.assertEqual((stopped["exitcode"], stopped["specific"]), (ERROR_SERVICE_SPECIFIC_ERROR, STILL_ACTIVE),
                         records)
        self.assertEqual(process_status, 1)
        first_report = next(status for status in records if (status["state"], status["checkpoint"]) == (START_PENDING, 1))
        took = stopped["t"] - first_report["t"]
        self.assertGreater(took, START_LIMIT_MS - 1000, "the launch gave up before the start's limit")
        messages = self.log_after_shutdown()
        self.assertEqual(messages[:2], ["VORN Service Startup", "Timeout while waiting for Java program to start."])
        # The initialiser ended while the VM shut down; main must not have run after the launch gave up.
        self.assertEqual(self.installation.event_names(), [])


if __name__ == "__main__":
    unittest.main()
