#pragma once
// Start-up stamps for the benchmark's breakdown: off unless the environment variable
// KESTRIN_STARTUP_STAMPS names a file. Each stamp keeps the step's name and the performance
// counter; WriteStartupStamps writes them there, one "name count" line each, after a first line
// "frequency F". The counter is the machine's, so the starting process can set it against its own.

namespace kx {

// `step` must outlive the run (a literal). Does nothing when off or after 32 stamps.
void StartupStamp(const char* step);
// Writes the stamps once; later calls do nothing.
void WriteStartupStamps();

}  // namespace kx
