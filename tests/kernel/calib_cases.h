// Calibration cases in the kernel guest, run by the driver after its own.
#pragma once

// A quarter-turned panel calibrated and mapped in pixels with the
// zentu-map at map_path and the zentu-probe at probe_path, then tapped
// through zentu_path. Leaves no device behind.
void run_calibration_cases(const char* map_path, const char* probe_path);
