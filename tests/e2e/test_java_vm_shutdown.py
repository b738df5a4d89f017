"""The VM's own shutdown, with its shutdown hooks, at the end of every run that created a VM: a
console run whose main method returns, a run whose main method could not be called (console and
service), and a service whose main method ended by itself. It is bounded as a stop is: a non-daemon thread that
never ends holds the end of the run up for at most 20 s, and the log says so."""

import shutil
import time
import unittest
from pathlib import Path

from installation import DUMP_VM_SHUTDOWN, install_java, jdk8, make_installation
from java_launch import launch_text, prepare_console, run_launcher
from service_case import ERROR_SERVICE_SPECIFIC_ERROR, RUNNING, STOP_PENDING, STOPPED, ServiceCase, rig
from winerig import crlf

VM_SHUTDOWN_TIMEOUT = "Timeout while waiting for JVM shutdown (non-daemon threads, shutdown hooks)."
VM_SHUTDOWN_BOUND_S = 20
MAIN_ENDED = "SERVICE ERROR: service stopped"


class ConsoleRun(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)
        install_java(rig, jdk8())

    def test_the_shutdown_hooks_run_before_the_process_ends(self):
        installation = make_installation(rig)
        installation.set_behaviour(main="return", hook="record")
        result = run_launcher(installation)
        self.assertEqual(result.returncode, 0, result.text)
        self.assertEqual(result.stderr, crlf(launch_text(installation) + MAIN_ENDED + "\n"))
        self.assertEqual(installation.event_names(), ["main", "entered", "main-exit", "shutdown-hook"])
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", MAIN_ENDED])

    def test_a_main_that_could_not_be_called_still_lets_the_hooks_run(self):
        installation = make_installation(rig, app="wrong-main-app")
        result = run_launcher(installation)
        self.assertEqual(result.returncode, 1, result.text)
        marker = rig.host_path(installation.install + "shutdown-hook.txt")
        self.assertTrue(marker.exists(), "the hook registered by the main class did not run")

    def test_a_non_daemon_thread_that_never_ends_holds_the_end_up_for_20_seconds_at_most(self):
        installation = make_installation(rig)
        installation.set_behaviour(main="return", thread="hang")
        began = time.monotonic()
        result = run_launcher(installation)
        took = time.monotonic() - began
        self.assertEqual(result.returncode, 0, result.text)
        self.assertEqual(result.stderr,
                         crlf(launch_text(installation) + MAIN_ENDED + "\n" + VM_SHUTDOWN_TIMEOUT + "\n"))
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", MAIN_ENDED, VM_SHUTDOWN_TIMEOUT,
                                                       installation.dump_written(DUMP_VM_SHUTDOWN)])
        # The bound, and what the start and the process's end add on a loaded machine.
        self.assertTrue(VM_SHUTDOWN_BOUND_S - 1 < took < VM_SHUTDOWN_BOUND_S + 15, f"took {took:.1f} s")


class ServiceMainEnds(ServiceCase):
    def test_a_main_that_could_not_be_called_still_lets_the_hooks_run(self):
        shutil.copy(Path(rig.config["jars"]) / "wrong-main-app.jar",
                    rig.host_path(self.installation.install + "vorna.jar"))
        self.install()
        records, process_status = self.start_until_stopped()
        self.assertEqual((records[-1]["exitcode"], records[-1]["specific"]), (ERROR_SERVICE_SPECIFIC_ERROR, 3),
                         records)
        self.assertEqual(process_status, 1)
        marker = rig.host_path(self.installation.install + "shutdown-hook.txt")
        self.assertTrue(marker.exists(), "the hook registered by the main class did not run")

    def test_stopped_with_1067_after_the_vms_shutdown(self):
        cases = [
            ("the hook runs", dict(hook="record"), ["main-exit", "shutdown-hook"], []),
            ("a non-daemon thread never ends", dict(thread="hang"), ["main-exit"],
             [VM_SHUTDOWN_TIMEOUT, self.installation.dump_written(DUMP_VM_SHUTDOWN)]),
        ]
        for name, behaviour, last_events, timeout_lines in cases:
            with self.subTest(name):
                # Also after a case that failed with the service still installed.
                rig.remove_service()
                self.forget_earlier_runs()
                self.install(main="return:3000", **behaviour)
                # Watched from before the start, so running is seen however long Wine takes to start
                # the watcher and the service; main ends 3 s after it began.
                records, _ = self.start_until_stopped()
                self.assertEqual(self.log_after_shutdown(),
                                 ["VORN Service Startup", MAIN_ENDED, *timeout_lines, "VORN Service Shutdown"])
                self.assertEqual(self.installation.event_names()[-len(last_events):], last_events)

                self.assertEqual((records[-1]["state"], records[-1]["exitcode"]), (STOPPED, 1067), records)
                states = [status["state"] for status in records]
                # While the VM shuts down the service shows stop pending, no longer running.
                ending = states[states.index(RUNNING):]
                pending = len(ending) - ending.count(RUNNING) - 1
                self.assertEqual(ending, [RUNNING] * ending.count(RUNNING) + [STOP_PENDING] * pending + [STOPPED],
                                 records)
                if timeout_lines:
                    self.assertIn(STOP_PENDING, states, records)
                    stop_pending = records[states.index(STOP_PENDING)]
                    took = records[-1]["t"] - stop_pending["t"]
                    self.assertTrue(VM_SHUTDOWN_BOUND_S * 1000 - 1000 < took < VM_SHUTDOWN_BOUND_S * 1000 + 2000,
                                    f"stopped {took} ms after stop pending")


if __name__ == "__main__":
    unittest.main()
