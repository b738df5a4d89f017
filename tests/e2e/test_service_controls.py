"""The service's controls through a server's life: pause and continue answered at once and never
going back (pending, then the state they led to), a pause() that hangs costing one thread and never
the shutdown hooks, stop pending reported within its own wait hint however the stop's time is
shared out, the VM started with -Xrs as the service only, and a relative javahome taken in the
installation directory."""

import shutil
import unittest

from installation import bridge_record, dump_of_method, install_java, jdk17, make_installation, unregistered
from java_launch import AGENT_OPTION, HOOK_OPTIONS, prepare_console, run_launcher
from service_case import (
    CONTINUE_PENDING,
    PAUSE_PENDING,
    PAUSED,
    RUNNING,
    STOP_PENDING,
    STOPPED,
    STOPPED_AFTER_WAIT,
    ServiceCase,
    rig,
)
from stress_support import tool

SERVICE_CONTROL_PAUSE = 2
SERVICE_CONTROL_CONTINUE = 3
PAUSE_TIMEOUT = 'Timeout while waiting for "pause" method.'


def states(records):
    return [record["state"] for record in records]


class Controls(ServiceCase):
    def send(self, control):
        result = tool("service_control", "send", "VORNA", str(control))
        self.assertEqual(result.stdout.strip(), b"error=0", result.stdout)

    def watch_control(self, control, until_state):
        watch = rig.start_watch(seconds=60, until_state=until_state)
        self.addCleanup(watch.stop)
        self.send(control)
        return watch.records()

    def test_the_service_runs_its_vm_with_rs_and_the_console_without(self):
        self.run_service()
        self.assertEqual(bridge_record(rig, jdk17())["options"],
                         HOOK_OPTIONS + [f"-Djava.class.path={self.installation.install}vorna.jar", "-Xmx512M",
                                         AGENT_OPTION, "-Xrs"])

    def test_pause_and_continue_go_from_pending_to_the_state_they_lead_to(self):
        self.run_service(pause="delay:3000", cont="delay:3000")
        records = self.watch_control(SERVICE_CONTROL_PAUSE, PAUSED)
        pausing = states(records)[states(records).index(PAUSE_PENDING):]
        self.assertEqual(pausing, [PAUSE_PENDING] * (len(pausing) - 1) + [PAUSED], records)
        # While pause() takes its 3 s, pause pending is reported anew with a growing check point.
        self.assertGreater(len(pausing), 2, records)
        records = self.watch_control(SERVICE_CONTROL_CONTINUE, RUNNING)
        resuming = states(records)[states(records).index(CONTINUE_PENDING):]
        self.assertEqual(resuming, [CONTINUE_PENDING] * (len(resuming) - 1) + [RUNNING], records)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertEqual(self.log_after_shutdown(),
                         ["VORN Service Startup", "Pausing VORNA...", "Continuing VORNA...", "Shutting down VORNA...",
                          "VORN Service Shutdown"])

    def test_a_pause_the_application_refuses_leaves_it_running(self):
        # pause() throws after a second: a pending state that lasts only while an exception is
        # logged could fall between two of the watcher's polls on a loaded machine.
        self.run_service(pause="delay-throw:1000")
        records = self.watch_control(SERVICE_CONTROL_PAUSE, RUNNING)
        self.assertEqual(states(records)[states(records).index(PAUSE_PENDING):][-1], RUNNING, records)
        self.assertNotIn(PAUSED, states(records), records)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertIn('Exception thrown by "pause" method: java.lang.IllegalStateException: '
                      'test application was asked to throw from pause', self.log_after_shutdown())

    def test_a_hanging_pause_costs_its_thread_and_never_the_shutdown_hooks(self):
        self.run_service(pause="hang", hook="record")
        records = self.watch_control(SERVICE_CONTROL_PAUSE, PAUSED)
        pending = next(record for record in records if record["state"] == PAUSE_PENDING)
        # The pause is given its 10 s, then counts as done.
        self.assertGreater(records[-1]["t"] - pending["t"], 9000, records)
        watch = rig.start_watch(seconds=60, until_state=STOPPED)
        self.addCleanup(watch.stop)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        stop = watch.records()
        stop_pending = next(record for record in stop if record["state"] == STOP_PENDING)
        self.assertLess(stop[-1]["t"] - stop_pending["t"], 10000, "the hung pause held the stop back")
        messages = self.log_after_shutdown()
        self.assertEqual(messages, ["VORN Service Startup", "Pausing VORNA...", PAUSE_TIMEOUT,
                                    self.installation.dump_written(dump_of_method("pause")), "Shutting down VORNA...",
                                    "VORN Service Shutdown"])
        self.assertEqual(self.installation.event_names()[-3:], ["gracefulShutdown", "main-exit", "shutdown-hook"])

    def test_stop_pending_is_reported_anew_within_its_wait_hint(self):
        # Each step of the stop ends just short of the report's period: gracefulShutdown, the end of
        # main and the shutdown hook take 1.8 s each.
        self.run_service(gracefulShutdown="delay:1800", main="save:1800", hook="delay:1800")
        watch = rig.start_watch(seconds=60, until_state=STOPPED)
        self.addCleanup(watch.stop)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        records = watch.records()
        stopping = records[states(records).index(STOP_PENDING):]
        self.assertEqual(states(stopping)[-1], STOPPED, records)
        for earlier, later in zip(stopping, stopping[1:]):
            self.assertLess(later["t"] - earlier["t"], earlier["waithint"],
                            f"no report within the wait hint after {earlier}: {stopping}")
        self.log_after_shutdown()
        self.assertEqual(self.installation.event_names()[-4:],
                         ["gracefulShutdown", "state-saved", "main-exit", "shutdown-hook"])


class RelativeJavaHome(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)

    # A relative path given to LoadLibrary is looked for along the DLL search path, the exe's folder
    # first, and not in the working directory once SetDllDirectory is set: Wine does as Windows here
    # (a home taken as it was written fails to load with 126), so the launch itself shows it.
    def test_a_relative_javahome_is_taken_in_the_installation_with_the_exe_elsewhere(self):
        installation = make_installation(rig, properties=b"javahome=jre17\r\n")
        installation.set_behaviour(main="return")
        install_java(rig, unregistered("C:\\VORNA\\jre17"))
        tools = rig.host_path("C:\\Tools\\")
        shutil.rmtree(tools, ignore_errors=True)
        tools.mkdir(parents=True)
        shutil.copy(rig.config["launcher"], tools / "vorna-launcher.exe")
        result = rig.wine("C:\\Tools\\vorna-launcher.exe", timeout=120)
        self.assertEqual(result.returncode, 0, result.text)
        self.assertIn("Java Home:\t\tC:\\VORNA\\jre17 (javahome in vorna.properties)\n", result.text)
        self.assertIn("Java Home: C:\\VORNA\\jre17 (javahome in vorna.properties)", installation.log_messages())
        self.assertEqual(installation.event_names(), ["main", "entered", "main-exit"])


if __name__ == "__main__":
    unittest.main()
