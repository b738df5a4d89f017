"""A VM library that needs a DLL of its own Java installation, as a real jvm.dll needs the C
runtime DLLs in its installation's bin folder: the launcher lets the loader find them there, in
both layouts."""

import shutil
import time
import unittest

from installation import bridge_record, install_java, jdk8, jdk17, jre8, make_installation
from java_launch import launcher_log, prepare_console, run_launcher
from winerig import Rig

rig = Rig()

LOAD_FAILED = "FATAL ERROR: Failed to load JVM DLL."
ERROR_MOD_NOT_FOUND = 126
# A failed load ends the launch at once; this is the margin a loaded machine needs, far below the
# minute that the VM's creation is given.
AT_ONCE_SECONDS = 20


class VmLibraryDependencies(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)

    def setUp(self):
        shutil.rmtree(rig.host_path("C:\\Java\\"), ignore_errors=True)
        self.installation = make_installation(rig)
        self.installation.set_behaviour(main="return")

    def test_the_dependency_in_the_runtimes_bin_folder_is_found(self):
        cases = [
            ("JDK 8: jre\\bin above jre\\bin\\server", jdk8(library="bridge-dependent", dependency_folder="jre\\bin")),
            ("Java 9+: bin above bin\\server", jdk17(library="bridge-dependent", dependency_folder="bin")),
            ("JRE 8: bin above bin\\client", jre8(vm_folder="bin\\client", library="bridge-dependent",
                                                  dependency_folder="bin")),
        ]
        for name, runtime in cases:
            with self.subTest(name):
                install_java(rig, runtime)
                result = run_launcher(self.installation)
                self.assertEqual(result.returncode, 0, result.text)
                self.assertEqual(self.installation.event_names(), ["main", "entered", "main-exit"], result.text)
                self.assertEqual(bridge_record(rig, runtime)["result"], "0")
                rig.host_path(self.installation.data + "events.txt").unlink()

    def test_without_the_dependency_the_library_does_not_load(self):
        runtime = jdk17(library="bridge-dependent")
        install_java(rig, runtime)
        began = time.monotonic()
        result = run_launcher(self.installation)
        took = time.monotonic() - began
        self.assertEqual(result.returncode, 1, result.text)
        self.assertLess(took, AT_ONCE_SECONDS, result.text)
        library = runtime.home + "\\" + runtime.vm_folder + "\\jvm.dll"
        self.assertEqual(launcher_log(self.installation), [
            "VORN Service Startup",
            LOAD_FAILED,
            f"LoadLibraryA({library}) failed with Windows error code {ERROR_MOD_NOT_FOUND}.",
        ])
        self.assertIsNone(bridge_record(rig, runtime))

if __name__ == "__main__":
    unittest.main()
