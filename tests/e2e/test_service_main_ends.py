"""An application whose main method ends by itself while the service runs: by returning or by an
exception the supervision loop sees within a second and the service stops with
ERROR_PROCESS_ABORTED; by System.exit the VM's exit hook stops it with the status the application
gave, which the process ends with."""

import unittest

from service_case import ERROR_PROCESS_ABORTED, ERROR_SERVICE_SPECIFIC_ERROR, RUNNING, ServiceCase, rig

STOPPED_LINE = "SERVICE ERROR: service stopped"


class MainEndsByItself(ServiceCase):
    def test_stopped_with_the_ends_exit_code_and_the_process_with_its_status(self):
        thrown = 'Exception thrown by "main" method: java.lang.IllegalStateException: test application main throws'
        cases = [
            ("main returns after 3 s", "return:3000", (ERROR_PROCESS_ABORTED, 0), [STOPPED_LINE], 0),
            ("main throws at once", "throw", (ERROR_PROCESS_ABORTED, 0), [thrown, STOPPED_LINE], 1),
            ("System.exit(0)", "exit:0", (0, 0), ["Java VM exiting with status 0."], 0),
            ("System.exit(3)", "exit:3", (ERROR_SERVICE_SPECIFIC_ERROR, 3), ["Java VM exiting with status 3."], 3),
        ]
        for name, main, exit_codes, lines, process_status in cases:
            with self.subTest(name):
                rig.remove_service()
                self.forget_earlier_runs()
                self.install(main=main)
                records, status = self.start_until_stopped()
                self.assertEqual((records[-1]["exitcode"], records[-1]["specific"]), exit_codes, records)
                self.assertEqual(status, process_status)
                if main.startswith("return"):
                    self.assertIn(RUNNING, [record["state"] for record in records], records)
                messages = self.installation.log_messages()
                # After System.exit the VM ends the process, maybe before main writes its last line.
                if main.startswith("exit") and messages[-1] != "VORN Service Shutdown":
                    messages.append("VORN Service Shutdown")
                self.assertEqual(messages, ["VORN Service Startup", *lines, "VORN Service Shutdown"])
                self.assertNotIn("gracefulShutdown", self.installation.event_names())


if __name__ == "__main__":
    unittest.main()
