"""Which Java runtime a console launch finds (the home "javahome" in vorna.properties names, else
the JavaSoft keys, else a runtime bundled in the installation), which VM library it loads, and
what it prints and logs when the runtime is incomplete."""

import shutil
import unittest
from dataclasses import dataclass

from installation import install_java, jdk8, jdk17, jre8, jre17, make_installation, unregistered
from java_launch import JDK8_DISCOVERY, console_start, launch_text, no_config_file, prepare_console, run_launcher
from winerig import DEFAULT_INSTALL, Rig, crlf

rig = Rig()

JAVA_ROOT = "C:\\Java\\"
VERSION_19 = "1.8.0_402-b07-extra"
VERSION_20 = VERSION_19 + "s"
HOME_99 = "C:\\Java\\" + "h" * 91
HOME_100 = HOME_99 + "h"


@dataclass
class Found:
    version: str
    home: str
    library: str


@dataclass
class FoundUnregistered:
    home: str
    library: str
    source: str


@dataclass
class Refused:
    printed: str
    message: str
    # The log line after the message: the registry's answer to the JavaHome read.
    registry_error: str = None


def home_not_read(key, version, code):
    return f"RegGetValueA(HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\{key}\\{version}, JavaHome) failed with Windows error code {code}."


LEGACY_JDK_HOME_MISSING = home_not_read("Java Development Kit", "1.8", 2)


def library_folder(library):
    return library.rsplit("\\", 1)[0]


CASES = [
    ("JDK before JRE", [jdk8(), jre8()],
     Found("1.8", "C:\\Java\\jdk8\\jre", "C:\\Java\\jdk8\\jre\\bin\\server\\jvm.dll")),
    ("JDK home missing: no fallback to the JRE", [jdk8(register_home=False), jre8()],
     Refused("Java Version:\t\t1.8\n", "Error: JavaHome for JDK 1.8 not found.", LEGACY_JDK_HOME_MISSING)),
    ("JDK without a VM library under jre\\bin: no fallback to the JRE", [jdk8(vm_folder="bin\\server"), jre8()],
     Refused("Java Version:\t\t1.8\nJava Home:\t\tC:\\Java\\jdk8\\jre\n", "Error: JDK JVM DLL not found.")),
    ("JRE without a VM library under bin", [jre8(library=None)],
     Refused("Java Version:\t\t1.8\nJava Home:\t\tC:\\Java\\jre8\n", "Error: JRE JVM DLL not found.")),
    ("JDK server before client", [jdk8(extra_library_folders=["jre\\bin\\client"])],
     Found("1.8", "C:\\Java\\jdk8\\jre", "C:\\Java\\jdk8\\jre\\bin\\server\\jvm.dll")),
    ("JDK client when there is no server", [jdk8(vm_folder="jre\\bin\\client")],
     Found("1.8", "C:\\Java\\jdk8\\jre", "C:\\Java\\jdk8\\jre\\bin\\client\\jvm.dll")),
    ("JRE server before client", [jre8(vm_folder="bin\\client", extra_library_folders=["bin\\server"])],
     Found("1.8", "C:\\Java\\jre8", "C:\\Java\\jre8\\bin\\server\\jvm.dll")),
    ("JRE client when there is no server", [jre8(vm_folder="bin\\client")],
     Found("1.8", "C:\\Java\\jre8", "C:\\Java\\jre8\\bin\\client\\jvm.dll")),
    ("CurrentVersion of 19 characters", [jdk8(version=VERSION_19)],
     Found(VERSION_19, "C:\\Java\\jdk8\\jre", "C:\\Java\\jdk8\\jre\\bin\\server\\jvm.dll")),
    ("CurrentVersion of 20 characters counts as absent", [jdk8(version=VERSION_20), jre8()],
     Found("1.8", "C:\\Java\\jre8", "C:\\Java\\jre8\\bin\\server\\jvm.dll")),
    ("CurrentVersion of 20 characters and no other runtime", [jdk8(version=VERSION_20)],
     Refused("", "Error: no JRE or JDK found.\n")),
    ("JavaHome of 99 characters", [jdk8(home=HOME_99)],
     Found("1.8", HOME_99 + "\\jre", HOME_99 + "\\jre\\bin\\server\\jvm.dll")),
    ("JavaHome of 100 characters", [jdk8(home=HOME_100)],
     Refused("Java Version:\t\t1.8\n", "Error: JavaHome for JDK 1.8 not found.",
             home_not_read("Java Development Kit", "1.8", 234))),
    ("Java 9+ JDK: the VM library under the home itself", [jdk17()],
     Found("17", "C:\\Java\\jdk-17", "C:\\Java\\jdk-17\\bin\\server\\jvm.dll")),
    ("Java 9+ JDK before its JRE", [jdk17(), jre17()],
     Found("17", "C:\\Java\\jdk-17", "C:\\Java\\jdk-17\\bin\\server\\jvm.dll")),
    ("Java 9+ JRE, client when there is no server", [jre17(vm_folder="bin\\client")],
     Found("17", "C:\\Java\\jre-17", "C:\\Java\\jre-17\\bin\\client\\jvm.dll")),
    ("Java 9+ JDK has no jre folder to look in", [jdk17(vm_folder="jre\\bin\\server")],
     Refused("Java Version:\t\t17\nJava Home:\t\tC:\\Java\\jdk-17\n", "Error: JDK JVM DLL not found.")),
    ("Java 9+ JDK home missing", [jdk17(register_home=False)],
     Refused("Java Version:\t\t17\n", "Error: JavaHome for JDK 17 not found.", home_not_read("JDK", "17", 2))),
    ("legacy JRE before a Java 9+ JDK", [jdk17(), jre8()],
     Found("1.8", "C:\\Java\\jre8", "C:\\Java\\jre8\\bin\\server\\jvm.dll")),
    ("legacy JDK home missing: no fallback to a Java 9+ JDK", [jdk8(register_home=False), jdk17()],
     Refused("Java Version:\t\t1.8\n", "Error: JavaHome for JDK 1.8 not found.", LEGACY_JDK_HOME_MISSING)),
]


OWN = "C:\\Java\\own-17"
JAVAHOME = b"javahome=C:\\Java\\own-17\n"
FROM_PROPERTIES = " (javahome in vorna.properties)"
BUNDLED = DEFAULT_INSTALL + "jre"
FROM_INSTALLATION = " (bundled with the installation)"


def own(vm_folder="bin\\server", **changes):
    return unregistered(OWN, vm_folder, **changes)


def bundled(vm_folder="bin\\server", **changes):
    return unregistered(BUNDLED, vm_folder, **changes)


# Each with the properties file's content (None for no file).
OTHER_SOURCES = [
    ("javahome, Java 9+ layout: the registry is not searched", JAVAHOME, [own(), jdk8()],
     FoundUnregistered(OWN, OWN + "\\bin\\server\\jvm.dll", FROM_PROPERTIES)),
    ("javahome, JDK 8 layout", JAVAHOME, [own("jre\\bin\\server")],
     FoundUnregistered(OWN, OWN + "\\jre\\bin\\server\\jvm.dll", FROM_PROPERTIES)),
    ("javahome: bin\\client before jre\\bin\\server", JAVAHOME,
     [own("bin\\client", extra_library_folders=["jre\\bin\\server"])],
     FoundUnregistered(OWN, OWN + "\\bin\\client\\jvm.dll", FROM_PROPERTIES)),
    ("javahome: jre\\bin\\server before jre\\bin\\client", JAVAHOME,
     [own("jre\\bin\\client", extra_library_folders=["jre\\bin\\server"])],
     FoundUnregistered(OWN, OWN + "\\jre\\bin\\server\\jvm.dll", FROM_PROPERTIES)),
    ("javahome with blanks and a trailing backslash", b"memsize=512M\n javahome = C:\\Java\\own-17\\ \n", [own()],
     FoundUnregistered(OWN, OWN + "\\bin\\server\\jvm.dll", FROM_PROPERTIES)),
    ("javahome without a VM library: no fallback to the registry", JAVAHOME, [own(library=None), jdk8()],
     Refused(f"Java Home:\t\t{OWN}{FROM_PROPERTIES}\n",
             f"Error: JVM DLL not found under {OWN}{FROM_PROPERTIES}.\n")),
    ("javahome empty: the registry", b"javahome=\n", [own(), jdk8()], Found(*JDK8_DISCOVERY)),
    ("javahome before a bundled runtime", JAVAHOME, [own(), bundled()],
     FoundUnregistered(OWN, OWN + "\\bin\\server\\jvm.dll", FROM_PROPERTIES)),
    ("bundled, when no runtime is registered", None, [bundled()],
     FoundUnregistered(BUNDLED, BUNDLED + "\\bin\\server\\jvm.dll", FROM_INSTALLATION)),
    ("bundled, JDK 8 layout", None, [bundled("jre\\bin\\client")],
     FoundUnregistered(BUNDLED, BUNDLED + "\\jre\\bin\\client\\jvm.dll", FROM_INSTALLATION)),
    ("a registered runtime before a bundled one", None, [jdk17(), bundled()],
     Found("17", "C:\\Java\\jdk-17", "C:\\Java\\jdk-17\\bin\\server\\jvm.dll")),
    ("registered JavaHome missing: no fallback to a bundled runtime", None, [jdk17(register_home=False), bundled()],
     Refused("Java Version:\t\t17\n", "Error: JavaHome for JDK 17 not found.", home_not_read("JDK", "17", 2))),
    ("a bundled jre folder without a VM library", None, [bundled(library=None)],
     Refused("", "Error: no JRE or JDK found.\n")),
]


class RuntimeDiscovery(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        prepare_console(rig)

    def check_launch(self, runtimes, outcome, properties=None):
        shutil.rmtree(rig.host_path(JAVA_ROOT), ignore_errors=True)
        installation = make_installation(rig, properties=properties)
        installation.set_behaviour(main="return")
        install_java(rig, *runtimes)
        result = run_launcher(installation)
        records = sorted(str(path.parent) for root in (JAVA_ROOT, installation.install)
                         for path in rig.host_path(root).rglob("jvm-bridge-record.txt"))
        config_trace = no_config_file(installation) if properties is None else ""
        if isinstance(outcome, Refused):
            expected = console_start(installation) + config_trace + outcome.printed + outcome.message
            self.assertEqual(result.stderr, crlf(expected))
            self.assertEqual(result.returncode, 1)
            self.assertEqual(records, [])
            registry_error = [outcome.registry_error] if outcome.registry_error else []
            self.assertEqual(installation.log_messages(),
                             ["VORN Service Startup", outcome.message.rstrip("\n"), *registry_error])
            return
        self.assertEqual(result.returncode, 0)
        if isinstance(outcome, Found):
            discovery = (outcome.version, outcome.home, outcome.library)
            found_lines = []
        else:
            discovery = f"Java Home:\t\t{outcome.home}{outcome.source}\nUsing JRE DLL:\t\t{outcome.library}\n"
            found_lines = [f"Java Home: {outcome.home}{outcome.source}"]
        expected = launch_text(installation, discovery, config_trace=config_trace) + "SERVICE ERROR: service stopped\n"
        self.assertEqual(result.stderr, crlf(expected))
        self.assertEqual(records, [str(rig.host_path(library_folder(outcome.library)))])
        self.assertEqual(installation.event_names(), ["main", "entered", "main-exit"])
        self.assertEqual(installation.log_messages(),
                         ["VORN Service Startup", *found_lines, "SERVICE ERROR: service stopped"])

    def test_registered_runtimes(self):
        for name, runtimes, outcome in CASES:
            with self.subTest(name):
                self.check_launch(runtimes, outcome)

    def test_runtimes_the_registry_does_not_name(self):
        for name, properties, runtimes, outcome in OTHER_SOURCES:
            with self.subTest(name):
                self.check_launch(runtimes, outcome, properties)


if __name__ == "__main__":
    unittest.main()
