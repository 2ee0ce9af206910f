# SPDX-License-Identifier: MIT
# The in-guest test driver, built beside zentu with the same toolchain and
# flags (tests/kernel/run.sh configures with ZENTU_KERNEL_GUEST=ON, static).
add_executable(zentu-kernel-driver
  ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/harness.cpp
  ${CMAKE_CURRENT_LIST_DIR}/devices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/probe_cases.cpp)
