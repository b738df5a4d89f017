"""The launcher's JNI use under -Xcheck:jni: the whole service life and the console launches, with
every report of the checks seen and each blamed on the thread that caused it.

HotSpot prints what -Xcheck:jni finds on its own output stream, which is lost in service mode
(the service's standard handles are null). The test VM library therefore also asks HotSpot to
copy that stream into a file of its own per VM (-XX:+LogVMOutput -XX:LogFile=...), the same in
both modes, and the tests read those files once the VM's process has ended (vm_output.py). A file
that the VM did not finish fails the test: a report could be missing from it.

With "/d" the VM loads the JDK's debugging agent, whose own start-up draws a report from older
HotSpot 17 builds; that report, told by what it says and by the thread it comes from, is the
agent's (vm_output.is_agent_report). Every other report fails the test."""

import shutil
import tempfile
import unittest
from contextlib import nullcontext
from pathlib import Path

from installation import bridge_record, bridge_threads, install_java, jdk17, make_installation
from java_launch import debug_port, prepare_console, run_launcher, vm_options
from service_case import (
    ERROR_SERVICE_CANNOT_ACCEPT_CTRL,
    PAUSED,
    RUNNING,
    STOPPED_AFTER_WAIT,
    ServiceCase,
    refused,
    sent,
)
from stress_support import rig, tool
from vm_output import (LOCAL_REFS_REPORT, VmOutput, hotspot_reports_local_refs, loads_debugging_agent,
                       split_reports)

# What the checks say about the first planted fault: a call after a Java method call without
# asking for an exception first (the bridge hands the variadic call on as CallStaticVoidMethodA).
PLANTED_REPORT = ("WARNING in native method: JNI call made without checking exceptions when required to from "
                  "CallStaticVoidMethod")


def bridge_config(directory):
    return (
        f"libjvm={rig.config['libjvm']}\n"
        "option=-Xcheck:jni\n"
        "option=-XX:+UnlockDiagnosticVMOptions\n"
        "option=-XX:+LogVMOutput\n"
        f"option=-XX:LogFile={directory}/vm-%p.log\n"
    )


class CheckedJni:
    """A fresh directory for the VM output files of a test, and what they hold."""

    def setUp(self):
        super().setUp()
        self.vm_output_directory = Path(tempfile.mkdtemp(prefix="vorna-vm-output-"))
        self.addCleanup(shutil.rmtree, self.vm_output_directory, ignore_errors=True)
        install_java(rig, jdk17(), bridge_config=bridge_config(self.vm_output_directory))

    def forget_vm_outputs(self):
        for path in self.vm_output_directory.glob("vm-*.log"):
            path.unlink()

    def vm_output(self):
        """The output file of the one VM the run created, once its process has ended."""
        paths = sorted(self.vm_output_directory.glob("vm-*.log"))
        self.assertEqual(len(paths), 1, f"one VM, one output file: {paths}")
        output = VmOutput(paths[0])
        output.wait_until_written()
        return output

    def reports(self):
        """The finished output of the run's VM and its reports of the JNI checks, as (the output,
        the debugging agent's reports, all others)."""
        output = self.vm_output()
        self.assertTrue(output.finished(),
                        f"the VM did not finish its output file; its stream:\n{output.stream()[-3000:]}")
        options = bridge_record(rig, jdk17())["options"]
        threads = bridge_threads(rig, jdk17())
        agent, others = split_reports(output, threads, options)
        return output, agent, others

    def assertNoJniReport(self):
        output, _, others = self.reports()
        if others:
            self.fail("reports of the JNI checks that are not the debugging agent's:\n"
                      + "".join(f"{report}\n" for report in others)
                      + f"threads: {bridge_threads(rig, jdk17())}\n{output.stream()[:3000]}")


class TheChecksAreSeen(CheckedJni, unittest.TestCase):
    """A JNI user with planted faults, under the options that matter, shows that the reading of the
    VM output misses neither a fault nor a cut-short file, and takes for the agent's report only
    the agent's."""

    def run_planted_faults(self, installation, *flags, options=()):
        with debug_port() if loads_debugging_agent(options) else nullcontext():
            result = tool("jni_planted_faults", *flags, "--directory", installation.install,
                          jdk17().home + "\\bin\\server\\jvm.dll", *options)
        self.assertEqual(result.returncode, 0, result.text)

    def test_planted_faults_are_blamed_on_their_thread_beside_the_debugging_agent(self):
        installation = make_installation(rig)
        debug_list = vm_options(installation, debug=True)
        without_agent = [option for option in debug_list
                         if option != "-Xdebug" and not loads_debugging_agent([option])]
        # Only HotSpot builds that count local references report the leak, and the agent's start-up.
        counted = hotspot_reports_local_refs(rig.config["libjvm"])
        planted = {"exception not checked", "local references"} if counted else {"exception not checked"}
        cases = [
            ("no options", [], [], 0),
            ('the launcher\'s "/d" option list', debug_list, [], 1 if counted else 0),
            ('the "/d" option list, the faults on the thread that created the VM', debug_list,
             ["--on-creating-thread"], 0),
            ('the "/d" option list without the debugging agent', without_agent, [], 0),
        ]
        for name, options, flags, agent_reports in cases:
            with self.subTest(name):
                self.forget_vm_outputs()
                self.run_planted_faults(installation, *flags, options=options)
                output, agent, others = self.reports()
                threads = bridge_threads(rig, jdk17())
                stream = f"threads: {threads}\n{output.stream()}"
                self.assertEqual(len(agent), agent_reports, stream)
                self.assertEqual({planted_fault(report) for report in others}, planted, stream)
                for report in others:
                    self.assertIn("jnienv", threads.get(report.writer, set()), f"{report}\n{stream}")

    def test_a_vm_left_running_at_the_end_of_its_process_leaves_its_output_unfinished(self):
        installation = make_installation(rig)
        self.run_planted_faults(installation, "--keep-vm", options=vm_options(installation, debug=True))
        output = self.vm_output()
        self.assertIn(PLANTED_REPORT, output.stream())
        self.assertFalse(output.finished(), output.text[-3000:])


def planted_fault(report):
    """Which of the planted faults a report is about; the report itself for any other."""
    if report.text.startswith(PLANTED_REPORT):
        return "exception not checked"
    if LOCAL_REFS_REPORT.fullmatch(report.text):
        return "local references"
    return str(report)


class ServiceLifeChecks(CheckedJni):
    def live(self, app_calls, pauses=True):
        """Start, pause, continue and stop through the exe's own commands; app_calls are the
        application's calls the events must show. A pause the application refuses (its method
        throws or is missing) leaves the service running."""
        self.start_service()
        if pauses:
            self.assertCommand(["/pause"], sent("/pause"))
        else:
            self.assertCommand(["/pause"], refused("/pause"), ERROR_SERVICE_CANNOT_ACCEPT_CTRL)
        self.wait_for(PAUSED if pauses else RUNNING, seconds=30)
        self.assertCommand(["/cont"], sent("/cont"))
        self.wait_for(RUNNING, seconds=30)
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.log_after_shutdown()
        for call in app_calls:
            self.assertIn(call, self.installation.event_names())
        self.assertNoJniReport()


class ServiceLife(ServiceLifeChecks, ServiceCase):
    def test_the_lifecycle_calls_return(self):
        self.install()
        self.live(["pause", "cont", "gracefulShutdown"])

    def test_the_lifecycle_calls_throw(self):
        self.install(pause="throw", cont="throw", gracefulShutdown="throw")
        self.live(["pause-throws", "cont-throws", "gracefulShutdown-throws"], pauses=False)


class ServiceLifeWithoutPause(ServiceLifeChecks, ServiceCase):
    app = "no-pause-app"

    def test_the_missing_method_is_logged(self):
        self.install()
        self.live(["cont", "gracefulShutdown"], pauses=False)
        self.assertIn('FATAL ERROR: Failed to locate "pause" method in class de/ardilux/vorna/Vorna.',
                      self.installation.log_messages())


class ConsoleLaunches(CheckedJni, unittest.TestCase):
    def setUp(self):
        prepare_console(rig)
        super().setUp()

    def test_launches_that_fail_or_end(self):
        cases = [
            ("no main class", "no-class-app", {}, [], 1),
            ("main without String[]", "wrong-main-app", {}, [], 1),
            ("main throws, with debug output", "service-app", {"main": "throw"}, ["/d"], 1),
            ("main returns, most debug output", "service-app", {"main": "return"}, ["/d", "/d"], 0),
            ("main returns", "service-app", {"main": "return"}, [], 0),
        ]
        for name, app, behaviour, args, exit_code in cases:
            with self.subTest(name):
                self.forget_vm_outputs()
                installation = make_installation(rig, app=app)
                if behaviour:
                    installation.set_behaviour(**behaviour)
                result = run_launcher(installation, *args)
                self.assertEqual(result.returncode, exit_code, result.text)
                self.assertNoJniReport()


if __name__ == "__main__":
    unittest.main()
