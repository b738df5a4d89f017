"""An application whose main method ends by itself while the service runs: the supervision loop
sees it within a second and the service stops with ERROR_PROCESS_ABORTED."""

import unittest

from service_case import RUNNING, STOPPED, UNINSTALLED, ServiceCase


class MainEndsByItself(ServiceCase):
    def test_stopped_with_1067(self):
        cases = [
            ("main returns after 3 s", "return:3000", (RUNNING,)),
            # The first pass of the loop may still find main's thread alive.
            ("main throws at once", "throw", (RUNNING, STOPPED)),
        ]
        for name, main, first_states in cases:
            with self.subTest(name):
                self.forget_earlier_runs()
                self.install(main=main)
                self.start_service(settled=first_states)
                status = self.wait_for(STOPPED, seconds=30)
                self.assertEqual(status["exitcode"], 1067, status)
                self.assertEqual(
                    self.log_after_shutdown(),
                    ["VORN Service Startup", "SERVICE ERROR: service stopped", "VORN Service Shutdown"],
                )
                self.assertNotIn("gracefulShutdown", self.installation.event_names())
                self.assertCommand(["/u"], UNINSTALLED)
                self.wait_until_removed()


if __name__ == "__main__":
    unittest.main()
