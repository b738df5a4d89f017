"""The Java main thread from a console: a main class that is missing, a main method with another
descriptor, a main method that throws, and one that calls System.exit, with the texts of each
debug level, the log and the exit code."""

import unittest

from installation import Installation, install_java, jdk8, make_installation
from java_launch import (
    LEVEL_1_START,
    LEVEL_2_START,
    MAIN_CLASS,
    is_interleaving,
    launch_text,
    launcher_log,
    launcher_text,
    main_thread_trace,
    normalise_addresses,
    prepare_console,
    run_launcher,
    split_streams,
    supervision_checks,
    without_vm_log,
)
from winerig import Rig

rig = Rig()

THROWN = (
    r'Exception in thread "[^"\n]+" java\.lang\.IllegalStateException: test application main throws\n'
    r"\tat de\.ardilux\.vorna\.Vorna\.main\(Vorna\.java:\d+\)\n"
)


THROWN_LOG_LINE = 'Exception thrown by "main" method: java.lang.IllegalStateException: test application main throws'


def launcher_part(test, result, arguments):
    """The launcher's part of the error stream, without the VM's "/d" log lines."""
    text = without_vm_log(launcher_text(result.stderr))
    return normalise_addresses(test, text) if arguments == ["/d", "/d"] else text


class JavaMainThread(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)
        install_java(rig, jdk8())

    def test_a_missing_main_class_is_described_and_ends_the_launch_with_1(self):
        cases = [
            ("class missing from the jar", "no-class-app", [], "", "Failed to start Java program.\n\n"),
            ("no jar at all", None, [], "", "Failed to start Java program.\n\n"),
            ("/d", "no-class-app", ["/d"], LEVEL_1_START, "failed.\n\n"),
            ("/d /d", "no-class-app", ["/d", "/d"], LEVEL_2_START + "Attached to JVM\n", "failed.\n\n"),
        ]
        for name, app, arguments, trace, failure in cases:
            with self.subTest(name):
                installation = make_installation(rig, app=app)
                result = run_launcher(installation, *arguments)
                self.assertEqual(result.returncode, 1, result.text)
                # The description comes from the Java main thread before it ends, and the failure
                # is printed only once that thread has ended.
                expected = launch_text(installation, level=len(arguments)) + trace + failure
                self.assertEqual(launcher_part(self, result, arguments), expected)
                description = split_streams(result.stderr)[1]
                self.assertTrue(description.startswith('Exception in thread "'), description)
                self.assertIn(f"java.lang.NoClassDefFoundError: {MAIN_CLASS}\n", description)
                self.assertEqual(launcher_log(installation), [
                    "VORN Service Startup",
                    f"FATAL ERROR: Failed to load class {MAIN_CLASS} (Classpath: {installation.install}vorna.jar).",
                    f"Exception while loading class {MAIN_CLASS}: java.lang.NoClassDefFoundError: {MAIN_CLASS}",
                    "Failed to start Java program.",
                ])

    def test_main_with_another_descriptor_ends_the_launch_with_1_and_nothing_described(self):
        cases = [
            ([], "", "Failed to start Java program.\n\n"),
            (["/d", "/d"], LEVEL_2_START + "Attached to JVM\nFound Class\n", "failed.\n\n"),
        ]
        for arguments, trace, failure in cases:
            with self.subTest(arguments=arguments):
                installation = make_installation(rig, app="wrong-main-app")
                result = run_launcher(installation, *arguments)
                self.assertEqual(result.returncode, 1, result.text)
                expected = launch_text(installation, level=len(arguments)) + trace + failure
                self.assertEqual(launcher_part(self, result, arguments), expected)
                # The NoSuchMethodError left pending is cleared before the thread leaves the VM,
                # which would otherwise report it as uncaught.
                self.assertEqual(split_streams(result.stderr)[1], "")
                self.assertEqual(launcher_log(installation), [
                    "VORN Service Startup",
                    f'FATAL ERROR: Failed to locate "main" method in class {MAIN_CLASS}.',
                    "Failed to start Java program.",
                ])

    def test_main_throwing_ends_the_launch_with_1_is_logged_and_described_only_with_d(self):
        trace_2 = LEVEL_2_START + main_thread_trace(Installation(rig))
        described = ["Exception description:\n", "\n"]
        cases = [
            ([], "", lambda text: [], [], "SERVICE ERROR: service stopped\n", ""),
            (["/d"], LEVEL_1_START, lambda text: ["done.\n\n"], described, "SERVICE ERROR: service stopped\n", THROWN),
            (["/d", "/d"], trace_2,
             lambda text: ["done.\n\n"] + supervision_checks(text), [f"Calling {MAIN_CLASS}->main()... "] + described,
             "terminated: Java Exception thrown\nSERVICE ERROR: service stopped\n", THROWN),
        ]
        for arguments, trace, main_thread, java_thread, ending, description in cases:
            with self.subTest(arguments=arguments):
                installation = make_installation(rig)
                installation.set_behaviour(main="throw")
                result = run_launcher(installation, *arguments)
                self.assertEqual(result.returncode, 1, result.text)
                self.assertEqual(installation.event_names(), ["main", "entered", "main-throws"])
                self.assertEqual(launcher_log(installation), ["VORN Service Startup", THROWN_LOG_LINE,
                                                               "SERVICE ERROR: service stopped"])
                text = launcher_part(self, result, arguments)
                start = launch_text(installation, level=len(arguments)) + trace
                self.assertTrue(text.startswith(start), text)
                self.assertTrue(text.endswith(ending), text)
                # After the hand-over to main, the two threads print side by side.
                supervised = text[len(start):-len(ending)]
                self.assertTrue(is_interleaving(supervised, main_thread(supervised), java_thread), supervised)
                self.assertRegex(split_streams(result.stderr)[1], "^" + description + r"\Z")

    def test_system_exit_ends_the_process_with_its_status_and_is_logged(self):
        for status in (0, 3):
            with self.subTest(status=status):
                installation = make_installation(rig)
                installation.set_behaviour(main=f"exit:{status}")
                result = run_launcher(installation)
                self.assertEqual(result.returncode, status, result.text)
                self.assertEqual(installation.event_names(), ["main", "entered", "main-calls-exit"])
                # The VM ends the process on its own: nothing of the launcher's follows the start.
                self.assertEqual(launcher_text(result.stderr), launch_text(installation))
                self.assertEqual(installation.log_messages(),
                                 ["VORN Service Startup", f"Java VM exiting with status {status}."])


if __name__ == "__main__":
    unittest.main()
