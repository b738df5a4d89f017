"""Every answer a service may give to "/start", "/pause" and "/cont", and what each command makes of
it: a stand-in service (tests/tools/scripted_service.cpp) registered as VORNA answers as it is told,
at once or after 300 ms of its pending state, so that each command's wait and verdict show."""

import shutil
import time
import unittest

from service_case import (
    ERROR_SERVICE_CANNOT_ACCEPT_CTRL,
    ERROR_SERVICE_NOT_ACTIVE,
    ERROR_SERVICE_REQUEST_TIMEOUT,
    ERROR_SERVICE_SPECIFIC_ERROR,
    PAUSE_PENDING,
    PAUSED,
    RUNNING,
    START_PENDING,
    STARTING,
    STOPPED,
    ServiceCase,
    control_sent,
    refused,
    rig,
    sent,
    start_failed,
)
from stress_support import tool
from winerig import SERVICE_NAME

STAND_IN = "C:\\VORNA\\scripted-service.exe"
START_WAIT_SECONDS = 100


class StandIn(ServiceCase):
    def register_stand_in(self, *script):
        """The stand-in registered as the service, with its script on its command line."""
        rig.remove_service()
        shutil.copy(rig.config["scripted_service"], rig.host_path(STAND_IN))
        created = rig.wine("sc", "create", SERVICE_NAME, "binPath=", " ".join([STAND_IN, *script]))
        self.assertEqual(created.returncode, 0, created.text)

    def start_stand_in(self, *script):
        self.register_stand_in(*script)
        self.assertEqual(tool("service_control", "start", SERVICE_NAME).stdout, b"error=0\r\n")
        status = self.wait_for(RUNNING, seconds=30)
        rig.forget_service_pipe()
        return status


class StartAnswers(StandIn):
    def test_a_service_that_stops_while_it_starts(self):
        cases = [
            # Stopped without an error code, it still did not start.
            ("stopped with 0", "start=stop:0:0", dict(exitcode=0, specific=0), ERROR_SERVICE_NOT_ACTIVE),
            ("stopped with a service-specific code", "start=stop:1066:7", dict(exitcode=1066, specific=7),
             ERROR_SERVICE_SPECIFIC_ERROR),
        ]
        for name, script, stopped, code in cases:
            with self.subTest(name):
                self.register_stand_in(script)
                self.assertCommand(["/start"], start_failed(stopped, self.installation.data), code)
                rig.forget_service_pipe()
                status = rig.query_service()
                self.assertEqual((status["state"], status["exitcode"], status["specific"]),
                                 (STOPPED, stopped["exitcode"], stopped["specific"]))

    def test_a_service_still_starting_at_the_bound_times_out(self):
        # Running 10 s after the bound, so that it can be stopped again.
        self.register_stand_in(f"start=run:{(START_WAIT_SECONDS + 10) * 1000}")
        began = time.monotonic()
        self.assertCommand(["/start"], STARTING + "timed out.\n", ERROR_SERVICE_REQUEST_TIMEOUT)
        took = time.monotonic() - began
        status = rig.query_service()
        self.assertEqual(status["state"], START_PENDING, status)
        self.assertTrue(START_WAIT_SECONDS <= took < START_WAIT_SECONDS + 10, f"took {took:.1f} s")
        self.wait_for(RUNNING, seconds=30)
        rig.forget_service_pipe()


class PauseAndContinueAnswers(StandIn):
    def test_each_answer_and_its_exit_code(self):
        cases = [
            ("/pause", "pause=accept", sent("/pause"), 0, PAUSED),
            ("/pause", "pause=refuse", refused("/pause"), ERROR_SERVICE_CANNOT_ACCEPT_CTRL, RUNNING),
            # Still pause pending after the wait's 15 s.
            ("/pause", "pause=hang", control_sent("/pause") + "timed out.\n", ERROR_SERVICE_REQUEST_TIMEOUT,
             PAUSE_PENDING),
            ("/cont", "cont=accept", sent("/cont"), 0, RUNNING),
            ("/cont", "cont=refuse", refused("/cont"), ERROR_SERVICE_CANNOT_ACCEPT_CTRL, PAUSED),
        ]
        for argument, script, text, code, state in cases:
            with self.subTest(script):
                self.start_stand_in(script)
                if argument == "/cont":
                    self.assertEqual(tool("service_control", "send", SERVICE_NAME, "2").stdout, b"error=0\r\n")
                    self.wait_for(PAUSED, seconds=30)
                self.assertCommand([argument], text, code)
                status = rig.query_service()
                self.assertEqual(status["state"], state, status)


if __name__ == "__main__":
    unittest.main()
