// Cases for events the kernel drops, run by the driver after its own.
#pragma once

// Runs every case against zentu_path, one line each. Leaves no device
// behind.
void run_drop_cases();
