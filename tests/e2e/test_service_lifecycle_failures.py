"""Lifecycle calls that fail in the application: a missing pause method, and exceptions thrown
by gracefulShutdown, pause and cont. Each failure leaves its line in the log after the control's
own line. A pause or continue that fails leaves the service as it was (the pending state is
followed by the state before it); a stop goes on as an orderly stop."""

import time
import unittest

from service_case import (
    ERROR_SERVICE_CANNOT_ACCEPT_CTRL,
    RUNNING,
    STOPPED,
    STOPPED_AFTER_WAIT,
    ServiceCase,
    refused,
    sent,
)


def thrown(method):
    return (f'Exception thrown by "{method}" method: '
            f"java.lang.IllegalStateException: test application was asked to throw from {method}")


class WithoutPause(ServiceCase):
    app = "no-pause-app"

    def test_a_missing_pause_is_logged_and_the_service_runs_on(self):
        self.run_service()
        self.assertCommand(["/pause"], refused("/pause"), ERROR_SERVICE_CANNOT_ACCEPT_CTRL)
        missing = 'FATAL ERROR: Failed to locate "pause" method in class de/ardilux/vorna/Vorna.'
        self.wait_for_log_lines(["VORN Service Startup", "Pausing VORNA...", missing])
        self.wait_for(RUNNING, seconds=30)
        self.assertCommand(["/cont"], sent("/cont"))
        self.wait_for_log_lines(["VORN Service Startup", "Pausing VORNA...", missing, "Continuing VORNA..."])
        self.wait_for(RUNNING, seconds=30)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertEqual(self.installation.event_names()[2:4], ["cont", "gracefulShutdown"])

    def wait_for_log_lines(self, lines, seconds=30):
        deadline = time.monotonic() + seconds
        while self.installation.log_messages() != lines:
            if time.monotonic() > deadline:
                self.fail(f"the log is not {lines}: {self.installation.log_messages()}")
            time.sleep(0.1)


class Throwing(ServiceCase):
    def test_each_exception_is_logged_and_the_service_goes_on_as_before_or_stops(self):
        self.run_service(pause="throw", cont="throw", gracefulShutdown="throw")
        cases = [
            ("/pause", "Pausing VORNA...", "pause", RUNNING, refused("/pause"), ERROR_SERVICE_CANNOT_ACCEPT_CTRL),
            # A service that runs is running after a continue, whatever cont() did.
            ("/cont", "Continuing VORNA...", "cont", RUNNING, sent("/cont"), 0),
            ("/stop", "Shutting down VORNA...", "gracefulShutdown", STOPPED, STOPPED_AFTER_WAIT, 0),
        ]
        for argument, message, method, state, text, code in cases:
            with self.subTest(argument):
                lines = len(self.installation.log_messages())
                self.assertCommand([argument], text, code)
                self.wait_for_event(f"{method}-throws")
                status = self.wait_for(state, seconds=30)
                self.assertEqual(status["exitcode"], 0, status)
                self.assertEqual(self.installation.log_messages()[lines:lines + 2], [message, thrown(method)])
                self.assertIn(f"{method}-throws", self.installation.event_names())
        # A stop whose call threw is still an orderly stop, and the process ends as usual.
        self.assertEqual(self.log_after_shutdown()[-1], "VORN Service Shutdown")


if __name__ == "__main__":
    unittest.main()
