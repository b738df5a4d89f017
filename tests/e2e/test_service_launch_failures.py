"""Launches that fail as the service, before the Java VM, in it, or before its main method: each is
noticed at once, leaves its reason in the log between the start and shutdown lines, stops the
service with the failure's exit code, and ends the process with status 1."""

import shutil
import unittest
from dataclasses import dataclass
from pathlib import Path

from installation import AGENT_JAR, install_java, jdk17
from service_case import (
    ERROR_PROCESS_ABORTED,
    ERROR_SERVICE_SPECIFIC_ERROR,
    START_PENDING,
    STOP_PENDING,
    ServiceCase,
    rig,
)

MAIN_CLASS = "de/ardilux/vorna/Vorna"
REFUSED_OPTION = "-Xnot-an-option"
JDK17_LIBRARY = "C:\\Java\\jdk-17\\bin\\server\\jvm.dll"
# A failure is noticed at once; this is the margin a loaded machine needs, far below the minute
# that the VM's creation is given.
AT_ONCE_SECONDS = 10


def unsigned(value):
    """A negative JNI result as the 32-bit service-specific exit code shows it."""
    return value & 0xFFFFFFFF


def from_start(records):
    """Seconds from the first record of the start to the stopped one."""
    started = next(status for status in records if status["state"] != records[0]["state"])
    return (records[-1]["t"] - started["t"]) / 1000


@dataclass
class Failure:
    name: str
    prepare: object
    exit_code: int
    lines: list
    specific: int = 0
    # The VM writes more around these lines (its stack, a crash report): only these must be there,
    # in order.
    vm_writes_more: bool = False


class LaunchFailures(ServiceCase):
    def failures(self):
        installation = self.installation
        data = installation.data

        def install_path(path):
            return lambda: rig.set_launcher_paths(path, data)

        def app(name):
            return lambda: self.install_app(name)

        def agent(behaviour):
            def prepare():
                self.install_agent(Path(rig.config["jars"]) / "test-agent.jar")
                installation.set_agent_behaviour(behaviour)
            return prepare

        def java(**changes):
            return lambda: install_java(rig, jdk17(**changes))

        def properties(content):
            return lambda: installation.write_properties(content)

        not_loaded = "FATAL ERROR: Failed to load JVM DLL."
        not_created = "FATAL ERROR: Failed to start Java VM."
        main_not_started = "Failed to start Java program."
        return [
            Failure("installation directory missing", install_path("C:\\nowhere\\"), 2, [
                "Cannot chdir to install path C:\\nowhere\\. Exiting.",
                "SetCurrentDirectoryA failed with Windows error code 2."]),
            Failure("its parent missing too", install_path("C:\\nowhere\\deeper\\"), 3, [
                "Cannot chdir to install path C:\\nowhere\\deeper\\. Exiting.",
                "SetCurrentDirectoryA failed with Windows error code 3."]),
            Failure("no Java registered", rig.clear_java, 2, ["Error: no JRE or JDK found."]),
            Failure("no JavaHome", java(register_home=False), 2, [
                "Error: JavaHome for JDK 17 not found.",
                "RegGetValueA(HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\JDK\\17, JavaHome) failed with Windows error "
                "code 2."]),
            Failure("no VM library", java(library=None), 2, ["Error: JDK JVM DLL not found."]),
            Failure("no VM library under javahome", properties(b"javahome=C:\\nowhere\n"), 2, [
                "Error: JVM DLL not found under C:\\nowhere (javahome in vorna.properties)."]),
            Failure("heap size in lower case", properties(b"memsize=1024m\n"), 13, [
                "Invalid size specification 1024m. Exiting."]),
            Failure("the VM library is no library", java(library="not-a-library"), 193, [
                not_loaded, f"LoadLibraryA({JDK17_LIBRARY}) failed with Windows error code 193."]),
            Failure("no JNI_CreateJavaVM export", java(library="no-export"), 127, [
                "FATAL ERROR: Failed to find JVM entry point."]),
            Failure("the VM refuses an option", lambda: install_java(
                rig, jdk17(), bridge_config=f"option={REFUSED_OPTION}\n"), ERROR_SERVICE_SPECIFIC_ERROR, [
                f"Unrecognized option: {REFUSED_OPTION}", not_created, "JNI_CreateJavaVM returned -1."],
                specific=unsigned(-1)),
            Failure("the VM refuses the heap size", properties(b"memsize=lotsM\n"), ERROR_SERVICE_SPECIFIC_ERROR, [
                "Invalid maximum heap size: -XmxlotsM", not_created, "JNI_CreateJavaVM returned -6."],
                specific=unsigned(-6)),
            Failure("the VM aborts: its agent throws", agent("throw"), ERROR_PROCESS_ABORTED, [
                "FATAL ERROR in native method: processing of -javaagent failed, processJavaStart failed",
                "Java VM aborted."], vm_writes_more=True),
            Failure("no main class", app("no-class-app"), ERROR_SERVICE_SPECIFIC_ERROR, [
                f"FATAL ERROR: Failed to load class {MAIN_CLASS} (Classpath: C:\\VORNA\\vorna.jar).",
                f"Exception while loading class {MAIN_CLASS}: java.lang.NoClassDefFoundError: {MAIN_CLASS}",
                main_not_started], specific=2),
            Failure("main without String[]", app("wrong-main-app"), ERROR_SERVICE_SPECIFIC_ERROR, [
                f'FATAL ERROR: Failed to locate "main" method in class {MAIN_CLASS}.', main_not_started],
                specific=3),
        ]

    def install_app(self, name):
        shutil.copy(Path(rig.config["jars"]) / f"{name}.jar", rig.host_path(self.installation.install + "vorna.jar"))

    def install_agent(self, jar):
        shutil.copy(jar, rig.host_path(self.installation.install + "libs\\" + AGENT_JAR))

    def reset(self):
        """The installation as it was made, and a log of its own for the next run."""
        installation = self.installation
        self.forget_earlier_runs()
        rig.set_launcher_paths(installation.install, installation.data)
        install_java(rig, jdk17())
        self.install_app("service-app")
        self.install_agent(rig.config["agent_jar"])
        rig.host_path(installation.install + "vorna.properties").unlink(missing_ok=True)

    def test_stopped_at_once_with_the_failures_exit_code_and_reason(self):
        for failure in self.failures():
            with self.subTest(failure.name):
                # Each case on a service of its own, whatever the case before left behind.
                rig.remove_service()
                self.reset()
                failure.prepare()
                self.install()
                records, process_status = self.start_until_stopped()
                stopped = records[-1]
                self.assertEqual((stopped["exitcode"], stopped["specific"]), (failure.exit_code, failure.specific),
                                 records)
                self.assertLess(from_start(records), AT_ONCE_SECONDS, records)
                # Start pending until then, and stop pending while a VM that exists shuts down: reported by
                # the launcher with growing check points.
                pending = [status["checkpoint"] for status in records[1:-1]]
                states = [status["state"] for status in records[1:-1]]
                starting = states.count(START_PENDING)
                self.assertEqual(states, [START_PENDING] * starting + [STOP_PENDING] * (len(states) - starting))
                self.assertEqual(pending, sorted(set(pending)), records)
                if failure.vm_writes_more:
                    messages = self.installation.log_messages()
                    self.assertEqual(messages[0], "VORN Service Startup")
                    # Each line there in order, at the end of a line of the log: the VM's describing of an
                    # exception starts a line through the hook and goes on past it.
                    found = [line for line in failure.lines if any(message.endswith(line) for message in messages)]
                    self.assertEqual(found, failure.lines, messages)
                    # The VM ends the process once the hook has returned, maybe before main's last line.
                    self.assertIn(messages[messages.index(failure.lines[-1]) + 1:], ([], ["VORN Service Shutdown"]))
                    self.assertNotEqual(process_status, 0)
                else:
                    self.assertEqual(process_status, 1)
                    self.assertEqual(self.log_after_shutdown(),
                                     ["VORN Service Startup", *failure.lines, "VORN Service Shutdown"])
                self.assertNotIn("entered", self.installation.event_names(), "main never ran")


if __name__ == "__main__":
    unittest.main()
