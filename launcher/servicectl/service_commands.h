#pragma once

// Carries out "/start", "/stop", "/pause", "/cont" or "/check" on the service "VORNA" through the
// service control manager, reporting on the standard error stream.
void sendServiceCommand(const char* argument);
