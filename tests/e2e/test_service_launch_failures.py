"""Launches that fail before the Java VM starts, as the service: each logs one line between the
start and shutdown lines, and the service stops with the failure's exit code."""

import unittest

from installation import install_java, jdk17
from service_case import START_SENT, STOPPED, ServiceCase, rig


class LaunchFailures(ServiceCase):
    def test_stopped_with_the_failures_exit_code(self):
        data = self.installation.data

        def install_path(path):
            return lambda: rig.set_launcher_paths(path, data)

        cases = [
            ("installation directory missing", install_path("C:\\nowhere\\"), 2,
             "Cannot chdir to install path C:\\nowhere\\. Exiting."),
            ("its parent missing too", install_path("C:\\nowhere\\deeper\\"), 3,
             "Cannot chdir to install path C:\\nowhere\\deeper\\. Exiting."),
            ("no Java registered", rig.clear_java, 0, "Error: no JRE or JDK found."),
            ("no JavaHome", lambda: install_java(rig, jdk17(register_home=False)), 2,
             "Error: JavaHome for JDK 17 not found."),
            ("no VM library", lambda: install_java(rig, jdk17(library=None)), 2, "Error: JDK JVM DLL not found."),
            ("no VM library under javahome", lambda: self.installation.write_properties(b"javahome=C:\\nowhere\n"), 2,
             "Error: JVM DLL not found under C:\\nowhere (javahome in vorna.properties)."),
            ("heap size in lower case", lambda: self.installation.write_properties(b"memsize=1024m\n"), 0,
             "Invalid size specification 1024m. Exiting."),
        ]
        self.install()
        for name, prepare, exit_code, line in cases:
            with self.subTest(name):
                self.forget_earlier_runs()
                rig.set_launcher_paths(self.installation.install, data)
                install_java(rig, jdk17())
                rig.host_path(self.installation.install + "vorna.properties").unlink(missing_ok=True)
                prepare()
                self.assertCommand(["/start"], START_SENT)
                status = self.wait_for(STOPPED, seconds=60)
                rig.forget_service_pipe()
                self.assertEqual(status["exitcode"], exit_code, status)
                self.assertEqual(self.log_after_shutdown(), ["VORN Service Startup", line, "VORN Service Shutdown"])
                self.assertEqual(self.installation.events(), [], "the application never ran")


if __name__ == "__main__":
    unittest.main()
