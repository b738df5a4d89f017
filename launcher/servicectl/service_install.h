#pragma once

// Register the running executable as the service "VORNA", and remove that registration again.
void installService();
void uninstallService();
