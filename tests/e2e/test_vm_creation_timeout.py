"""A VM creation that never ends (an agent whose premain never returns: agents run inside the
creation): the launcher gives it its minute, meanwhile reports start pending with growing check
points, then says "Timeout", stops the service with ERROR_TIMEOUT and ends the process with 1."""

import time
import unittest

from installation import install_java, jdk17, make_installation
from java_launch import JDK17_DISCOVERY, launch_text, launcher_text, prepare_console, run_launcher
from service_case import START_PENDING, ServiceCase, rig

ERROR_TIMEOUT = 1460
TIMEOUT_LINE = "Timeout while waiting for JVM creation."
CREATION_SECONDS = 60


def hanging_installation():
    installation = make_installation(rig, agent="test-agent")
    installation.set_agent_behaviour("hang")
    return installation


class ServiceCreationTimeout(ServiceCase):
    def setUp(self):
        super().setUp()
        self.installation = hanging_installation()

    def test_start_pending_all_along_then_stopped_with_error_timeout(self):
        self.install()
        records, process_status = self.start_until_stopped(seconds=CREATION_SECONDS + 60)
        stopped = records[-1]
        self.assertEqual((stopped["exitcode"], stopped["specific"]), (ERROR_TIMEOUT, 0), stopped)
        self.assertEqual(process_status, 1)
        ours = [record for record in records[1:-1] if record["checkpoint"] != 0]
        self.assertEqual({record["state"] for record in ours}, {START_PENDING}, records)
        self.assertEqual([record["checkpoint"] for record in ours], list(range(1, len(ours) + 1)), records)
        # Each report comes before the wait hint of the one before it has run out.
        for before, after in zip(ours, ours[1:] + [stopped]):
            self.assertLess(after["t"] - before["t"], before["waithint"], records)
        self.assertEqual({record["waithint"] for record in ours}, {5000})
        took = (stopped["t"] - ours[0]["t"]) / 1000
        self.assertTrue(CREATION_SECONDS - 1 <= took < CREATION_SECONDS + 15, f"stopped after {took:.1f} s")
        self.assertEqual(self.installation.log_messages(), ["VORN Service Startup", TIMEOUT_LINE, "VORN Service Shutdown"])


class ConsoleCreationTimeout(unittest.TestCase):
    def test_timeout_printed_and_logged_after_the_minute_and_exit_1(self):
        prepare_console(rig)
        installation = hanging_installation()
        install_java(rig, jdk17())
        installation.set_behaviour(main="return")
        started = time.monotonic()
        result = run_launcher(installation, timeout=CREATION_SECONDS + 90)
        took = time.monotonic() - started
        self.assertEqual(result.returncode, 1, result.text)
        self.assertTrue(CREATION_SECONDS <= took < CREATION_SECONDS + 30, f"ended after {took:.1f} s")
        expected = launch_text(installation, discovery=JDK17_DISCOVERY)
        self.assertEqual(launcher_text(result.stderr), expected + TIMEOUT_LINE + "\n")
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", TIMEOUT_LINE])
        self.assertEqual(installation.events(), [])


if __name__ == "__main__":
    unittest.main()
