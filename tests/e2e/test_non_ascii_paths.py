"""Installation and data directories with characters beyond ASCII, in the ANSI code page (1252
under the rig: "€", "Š", "Œ", "Ž", "™", "‰" are among its bytes 0x80-0x9F, which Latin-1 lacks;
"é", "ø", "ß" are Latin-1's too). The application receives both directories exactly, loads its
classes from the one and writes into the other, the launcher's log is in the data directory, the
JNI checks stay quiet, and what the application throws reaches the log in the log's encoding."""

import unittest

import test_check_jni
from installation import bridge_record, jdk17, make_installation
from java_launch import prepare_console, run_launcher
from service_case import ERROR_SERVICE_CANNOT_ACCEPT_CTRL, RUNNING, STOPPED_AFTER_WAIT, ServiceCase, refused
from winerig import ANSI_CODE_PAGE, Rig

rig = Rig()

INSTALL = "C:\\Programme\\Služby Œuvre™\\"
DATA = "C:\\Données\\Žurnál €‰ Šøß\\"
THROWN = "Pause refusée: €ŠŒŽ™‰ øß"


class ConsoleLaunch(test_check_jni.CheckedJni, unittest.TestCase):
    def test_the_directories_reach_the_application_exactly(self):
        prepare_console(rig)
        installation = make_installation(rig, install=INSTALL, data=DATA)
        installation.set_behaviour(main="return")
        result = run_launcher(installation)
        self.assertEqual(result.returncode, 0, result.stderr.decode(ANSI_CODE_PAGE, "replace"))
        self.assertTrue(result.stderr.startswith(f"logPath == {DATA}log\\vorna-launcher.log\r\n".encode(ANSI_CODE_PAGE)),
                        result.stderr)
        # Its record lies in the data directory, and main came from the jar in the installation's.
        self.assertEqual(installation.events()[0], ["main", "2", INSTALL, DATA])
        self.assertEqual(installation.event_names(), ["main", "entered", "main-exit"])
        self.assertIn(f"-Djava.class.path={INSTALL}vorna.jar", bridge_record(rig, jdk17())["options"])
        self.assertEqual(installation.log_messages(), ["VORN Service Startup", "SERVICE ERROR: service stopped"])
        self.assertNoJniReport()


class Service(ServiceCase):
    def test_the_service_gets_the_directories_and_logs_there(self):
        self.installation = make_installation(rig, install=INSTALL, data=DATA)
        self.run_service()
        self.assertEqual(self.installation.events()[0], ["main", "2", INSTALL, DATA])
        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        self.assertEqual(self.log_after_shutdown(), ["VORN Service Startup", "Shutting down VORNA...",
                                                     "VORN Service Shutdown"])

    def test_what_the_application_throws_is_logged_in_the_logs_encoding(self):
        self.run_service(pause=f"throw:{THROWN}")
        # Refused by the application: running again once its call is done.
        self.assertCommand(["/pause"], refused("/pause"), ERROR_SERVICE_CANNOT_ACCEPT_CTRL)
        self.wait_for(RUNNING, seconds=30)
        self.assertEqual(self.installation.log_messages()[-2:], [
            "Pausing VORNA...", f'Exception thrown by "pause" method: java.lang.IllegalStateException: {THROWN}'])


if __name__ == "__main__":
    unittest.main()
