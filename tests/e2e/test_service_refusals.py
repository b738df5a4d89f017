"""Commands that the service control manager refuses, by the state the service is in: each
prints its one failure, ends with that failure's Windows error code and leaves the service as it
was."""

import unittest

from service_case import (
    ERROR_SERVICE_ALREADY_RUNNING,
    ERROR_SERVICE_DOES_NOT_EXIST,
    ERROR_SERVICE_EXISTS,
    ERROR_SERVICE_NOT_ACTIVE,
    NOT_OPENED,
    RULE,
    RUNNING,
    STOPPED,
    ServiceCase,
    rig,
)


def control_failed(argument, error):
    return f"ControlService failed ({argument}).\n{error}"


class NotInstalled(ServiceCase):
    def test_every_command_reports_the_missing_service(self):
        # Nothing follows the failed open: no command runs without the service's handle.
        cases = [
            ("/u", "Uninstalling service...\t\tfailed (OpenService):\t1060\n" + RULE),
            ("/start", NOT_OPENED),
            ("/stop", NOT_OPENED),
            ("/pause", NOT_OPENED),
            ("/cont", NOT_OPENED),
            ("/check", NOT_OPENED),
        ]
        for argument, text in cases:
            with self.subTest(argument):
                self.assertCommand([argument], text, ERROR_SERVICE_DOES_NOT_EXIST)
                self.assertIsNone(rig.query_service())


class InstalledAndStopped(ServiceCase):
    def test_refused_without_a_running_service(self):
        self.install()
        not_active = "ERROR_SERVICE_NOT_ACTIVE (1062)\n"
        cases = [
            ("/i", "Installing service...\t\tfailed (CreateService):\t1073\n" + RULE, ERROR_SERVICE_EXISTS),
            # No waiting text: the wait follows only a control that was sent.
            ("/stop", control_failed("/stop", not_active), ERROR_SERVICE_NOT_ACTIVE),
            ("/pause", control_failed("/pause", not_active), ERROR_SERVICE_NOT_ACTIVE),
            ("/cont", control_failed("/cont", not_active), ERROR_SERVICE_NOT_ACTIVE),
            ("/check", "Checking service: service stopped or not installed\n", ERROR_SERVICE_NOT_ACTIVE),
        ]
        for argument, text, code in cases:
            with self.subTest(argument):
                self.assertCommand([argument], text, code)
                status = rig.query_service()
                self.assertEqual(status["state"], STOPPED, status)
        self.assertEqual(self.installation.log_text(), "", "the service never ran")


class Running(ServiceCase):
    def test_refused_while_it_runs(self):
        self.run_service()
        cases = [
            ("/start", "Starting service.\nStartService failed.\nERROR_SERVICE_ALREADY_RUNNING (1056)\n",
             ERROR_SERVICE_ALREADY_RUNNING),
            ("/i", "Installing service...\t\tfailed (CreateService):\t1073\n" + RULE, ERROR_SERVICE_EXISTS),
        ]
        for argument, text, code in cases:
            with self.subTest(argument):
                self.assertCommand([argument], text, code)
                status = rig.query_service()
                self.assertEqual(status["state"], RUNNING, status)
        self.assertEqual(self.installation.log_messages(), ["VORN Service Startup"])


if __name__ == "__main__":
    unittest.main()
