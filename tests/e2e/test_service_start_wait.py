""""/start" waits for the launch of the real service: it ends with 0 only once the service runs,
and a launch that fails after a while ends it with the service's exit code and the log to read."""

import time
import unittest

from installation import make_installation
from service_case import (
    ERROR_PROCESS_ABORTED,
    RUNNING,
    START_SENT,
    STOPPED,
    ServiceCase,
    rig,
    start_failed,
)

DELAY_SECONDS = 2


class StartWait(ServiceCase):
    def test_ends_with_0_once_a_slow_launch_runs(self):
        # The main class's initialiser takes 2 s: start pending all that while.
        rig.host_path(self.installation.install + "class-init-delay.txt").write_text(str(DELAY_SECONDS * 1000),
                                                                                   encoding="ascii")
        self.install()
        began = time.monotonic()
        self.assertCommand(["/start"], START_SENT)
        took = time.monotonic() - began
        status = rig.query_service()
        rig.forget_service_pipe()
        self.assertEqual(status["state"], RUNNING, status)
        self.assertIn("entered", self.installation.event_names())
        self.assertGreater(took, DELAY_SECONDS)

    def test_a_launch_that_fails_late_ends_with_the_services_exit_code(self):
        self.installation = make_installation(rig, agent="test-agent")
        # The agent throws in its premain after 2 s: the VM aborts, and the service stops with 1067.
        self.installation.set_agent_behaviour(f"delay-throw:{DELAY_SECONDS * 1000}")
        self.install()
        began = time.monotonic()
        stopped = dict(exitcode=ERROR_PROCESS_ABORTED, specific=0)
        self.assertCommand(["/start"], start_failed(stopped, self.installation.data), ERROR_PROCESS_ABORTED)
        took = time.monotonic() - began
        status = rig.query_service()
        rig.forget_service_pipe()
        self.assertEqual((status["state"], status["exitcode"], status["specific"]), (STOPPED, ERROR_PROCESS_ABORTED, 0))
        self.assertGreater(took, DELAY_SECONDS)
        self.assertIn("Java VM aborted.", self.installation.log_messages())


if __name__ == "__main__":
    unittest.main()
