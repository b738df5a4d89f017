"""VM creation that fails, from a console with "/d" "/d": a VM library that is no library, one
without the JNI_CreateJavaVM export, a VM that refuses an option, and one that aborts while it
loads its agent. Each failure ends the launch as soon as the creation has, with its reason in the
log and exit status 1; none says "Timeout"."""

import time
import unittest

from installation import bridge_record, install_java, jdk8, make_installation
from java_launch import launch_text, launcher_text, prepare_console, run_launcher
from winerig import Rig

rig = Rig()

REFUSED_OPTION = "-Xnot-an-option"
AGENT_FAILED = "FATAL ERROR in native method: processing of -javaagent failed, processJavaStart failed"
LIBRARY = "C:\\Java\\jdk8\\jre\\bin\\server\\jvm.dll"
TRACE_TO_LOAD = "Creating JVM...\nLoading JVM DLL.\n"
TRACE_TO_CREATE = TRACE_TO_LOAD + "Got address of function JNI_CreateJavaVM: <address>\n"
# Noticed at once: the margin a loaded machine needs, far below the minute the creation is given.
AT_ONCE_SECONDS = 15


class FailedCreation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)

    def launch(self, runtime, bridge_config=None, agent=True, agent_behaviour=None, status=1):
        installation = make_installation(rig, agent=agent)
        installation.set_behaviour(main="return")
        if agent_behaviour:
            installation.set_agent_behaviour(agent_behaviour)
        install_java(rig, runtime, bridge_config=bridge_config)
        started = time.monotonic()
        result = run_launcher(installation, "/d", "/d")
        self.assertLess(time.monotonic() - started, AT_ONCE_SECONDS, result.text)
        if status is None:
            self.assertNotEqual(result.returncode, 0, result.text)
        else:
            self.assertEqual(result.returncode, status, result.text)
        self.assertNotIn("Timeout", result.text)
        self.assertEqual(installation.events(), [], "main never ran")
        return installation, result

    def assertLaunch(self, installation, result, trace):
        """The launcher's part of the error stream: the launch up to the VM, then trace."""
        text = launcher_text(result.stderr)
        if "<address>" in trace:
            text = self.normalise_entry_point(text)
        self.assertEqual(text, launch_text(installation, level=2, config_trace=None) + trace)

    def normalise_entry_point(self, text):
        prefix = "Got address of function JNI_CreateJavaVM: "
        start = text.index(prefix) + len(prefix)
        end = text.index("\n", start)
        self.assertEqual(len(text[start:end]), 16, text)
        return text[:start] + "<address>" + text[end:]

    def test_a_library_that_does_not_load(self):
        installation, result = self.launch(jdk8(library="not-a-library"))
        self.assertLaunch(installation, result, TRACE_TO_LOAD)
        self.assertEqual(installation.log_messages(), [
            "VORN Service Startup", "FATAL ERROR: Failed to load JVM DLL.",
            f"LoadLibraryA({LIBRARY}) failed with Windows error code 193."])

    def test_a_library_without_the_entry_point(self):
        installation, result = self.launch(jdk8(library="no-export"))
        self.assertLaunch(installation, result, TRACE_TO_LOAD)
        self.assertEqual(installation.log_messages(),
                         ["VORN Service Startup", "FATAL ERROR: Failed to find JVM entry point."])

    def test_a_vm_that_refuses_an_option_says_why(self):
        runtime = jdk8()
        installation, result = self.launch(runtime, bridge_config=f"option={REFUSED_OPTION}\n")
        message = f"Unrecognized option: {REFUSED_OPTION}"
        self.assertLaunch(installation, result, TRACE_TO_CREATE + message + "\n")
        self.assertEqual(installation.log_messages(), [
            "VORN Service Startup", message, "FATAL ERROR: Failed to start Java VM.", "JNI_CreateJavaVM returned -1."])
        record = bridge_record(rig, runtime)
        self.assertEqual((record["ignoreUnrecognized"], record["result"]), ("0", "-1"))

    def test_a_vm_that_aborts_while_it_loads_its_agent(self):
        # The VM ends the process after the hook; under Wine its abort dies of a signal, which the
        # rig sees as the status (a Windows waiter sees 1).
        installation, result = self.launch(jdk8(), agent="test-agent", agent_behaviour="throw", status=None)
        messages = installation.log_messages()
        self.assertEqual(messages[0], "VORN Service Startup")
        self.assertEqual(messages[-1], "Java VM aborted.")
        # The VM's own describing of the agent's exception starts that line through the hook and goes on
        # past it, on the Java error stream, so its start may lead the line.
        self.assertTrue(any(message.endswith(AGENT_FAILED) for message in messages), messages)
        # What the VM wrote reached the console too, through the launcher.
        text = launcher_text(result.stderr)
        self.assertIn(AGENT_FAILED, text)


if __name__ == "__main__":
    unittest.main()
