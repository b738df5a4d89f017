"""A VM library that needs a DLL of its own Java installation, as a real jvm.dll needs the C
runtime DLLs in its installation's bin folder: the launcher lets the loader find them there, in
both layouts."""

import shutil
import unittest

from installation import bridge_record, install_java, jdk8, jdk17, jre8, make_installation
from java_launch import prepare_console, run_launcher, run_until_logged
from winerig import Rig

rig = Rig()

LOAD_FAILED = "FATAL ERROR: Failed to load JVM DLL."


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
        self.assertTrue(run_until_logged(self.installation, LOAD_FAILED), self.installation.log_text())
        self.assertIsNone(bridge_record(rig, runtime))

if __name__ == "__main__":
    unittest.main()
