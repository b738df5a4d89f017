"""Commands that the service control manager refuses, by the state the service is in: each
prints its failure and leaves the service as it was."""

import unittest

from service_case import RULE, RUNNING, STOPPED, ServiceCase, rig

NOT_OPENED = "failed (OpenService):\tUnknown error code (1060)\n"
NO_HANDLE = "ERROR_INVALID_HANDLE (6)\n"


def control_failed(argument, error):
    return f"ControlService failed ({argument}).\n{error}"


class NotInstalled(ServiceCase):
    def test_every_command_reports_the_missing_service(self):
        cases = [
            ("/u", "Uninstalling service...\t\tfailed (OpenService):\t1060\n" + RULE),
            ("/start", NOT_OPENED + "Starting service.\nStartService failed.\n" + NO_HANDLE),
            ("/stop", NOT_OPENED + control_failed("/stop", NO_HANDLE)),
            ("/pause", NOT_OPENED + control_failed("/pause", NO_HANDLE)),
            ("/cont", NOT_OPENED + control_failed("/cont", NO_HANDLE)),
        ]
        for argument, text in cases:
            with self.subTest(argument):
                self.assertCommand([argument], text)
                self.assertIsNone(rig.query_service())


class InstalledAndStopped(ServiceCase):
    def test_refused_without_a_running_service(self):
        self.install()
        not_active = "ERROR_SERVICE_NOT_ACTIVE (1062)\n"
        cases = [
            ("/i", "Installing service...\t\tfailed (CreateService):\t1073\n" + RULE),
            # No waiting text: the wait follows only a stop that was sent.
            ("/stop", control_failed("/stop", not_active)),
            ("/pause", control_failed("/pause", not_active)),
            ("/cont", control_failed("/cont", not_active)),
        ]
        for argument, text in cases:
            with self.subTest(argument):
                self.assertCommand([argument], text)
                status = rig.query_service()
                self.assertEqual(status["state"], STOPPED, status)
        self.assertEqual(self.installation.log_text(), "", "the service never ran")


class Running(ServiceCase):
    def test_refused_while_it_runs(self):
        self.run_service()
        cases = [
            ("/start", "Starting service.\nStartService failed.\nERROR_SERVICE_ALREADY_RUNNING (1056)\n"),
            ("/i", "Installing service...\t\tfailed (CreateService):\t1073\n" + RULE),
        ]
        for argument, text in cases:
            with self.subTest(argument):
                self.assertCommand([argument], text)
                status = rig.query_service()
                self.assertEqual(status["state"], RUNNING, status)
        self.assertEqual(self.installation.log_messages(), ["VORN Service Startup"])


if __name__ == "__main__":
    unittest.main()
