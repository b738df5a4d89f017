#pragma once

// Register the running executable as the service "VORNA", and remove that registration again.
// Each gives the command's exit code: 0 when done, else the Windows error code of the failure.
int installService();
int uninstallService();
