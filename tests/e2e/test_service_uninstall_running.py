"""Uninstalling the service while it runs: the registration stays, marked for deletion, until
the service stops, and goes then."""

import unittest

from service_case import (
    CHECK_NOT_INSTALLED,
    CHECK_RUNNING,
    ERROR_SERVICE_DOES_NOT_EXIST,
    ERROR_SERVICE_MARKED_FOR_DELETE,
    INSTALLED,
    RULE,
    RUNNING,
    STOPPED_AFTER_WAIT,
    UNINSTALLED,
    ServiceCase,
    rig,
)

MARKED = "failed (OpenService):\t1072\n" + RULE


class UninstallWhileRunning(ServiceCase):
    def test_removed_once_stopped(self):
        self.run_service()
        self.assertCommand(["/u"], UNINSTALLED)
        status = rig.query_service()
        self.assertEqual(status["state"], RUNNING, status)
        self.assertCommand(["/check"], CHECK_RUNNING)
        # Windows opens a marked service and refuses its deletion; either way the code is 1072.
        self.assertCommand(["/u"], "Uninstalling service...\t\t" + MARKED, ERROR_SERVICE_MARKED_FOR_DELETE)
        self.assertCommand(["/i"], "Installing service...\t\tfailed (CreateService):\t1072\n" + RULE,
                           ERROR_SERVICE_MARKED_FOR_DELETE)

        self.assertCommand(["/stop"], STOPPED_AFTER_WAIT)
        # Windows and Wine alike delete it once no handle is open; a stopped service that a client
        # still holds open would stay, and Wine would even start it again (Windows: 1072).
        self.wait_until_removed()
        self.assertEqual(self.log_after_shutdown()[-2:], ["Shutting down VORNA...", "VORN Service Shutdown"])
        self.assertCommand(["/check"], CHECK_NOT_INSTALLED, ERROR_SERVICE_DOES_NOT_EXIST)
        self.assertCommand(["/i"], INSTALLED)


if __name__ == "__main__":
    unittest.main()
