"""The launch from a console while the service is active: refused before anything is logged."""

import unittest

from service_case import PAUSED, ServiceCase, sent

CHECKING = "Checking for running service ...\n"
REFUSED = "VORNA is already running as a service!"


class ConsoleWhileActive(ServiceCase):
    def test_refused_while_running_and_while_paused(self):
        self.run_service()
        for state in ("running", "paused"):
            with self.subTest(state):
                if state == "paused":
                    self.assertCommand(["/pause"], sent("/pause"))
                    self.wait_for(PAUSED, seconds=30)
                log = self.installation.log_text()
                # With /d the check also tells what it found.
                runs = [([], CHECKING + REFUSED), (["/d"], CHECKING + "Service is not stopped\n" + REFUSED)]
                for arguments, text in runs:
                    result = self.command(*arguments)
                    self.assertEqual(result.stderr, self.console(text), result.text)
                    self.assertEqual(result.returncode, 1)
                self.assertEqual(self.installation.log_text(), log, "the console runs logged nothing")
        self.assertEqual(self.installation.event_names().count("main"), 1, "one application only")


if __name__ == "__main__":
    unittest.main()
