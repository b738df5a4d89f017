#pragma once

// True when the service "VORNA" exists and is active; every doubt answers false.
bool isServiceRunning();
