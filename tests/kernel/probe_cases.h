// SPDX-License-Identifier: MIT
// zentu-probe's cases in the kernel guest, run by the driver after its own.
#pragma once

// Runs every case against the zentu-probe at probe (and zentu_path), one
// line each. Leaves no device behind.
void run_probe_cases(const char* probe);
