# SPDX-License-Identifier: MIT
# 64-bit RISC-V Linux (Debian's riscv64):
#   apt-get install g++-riscv64-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(ZENTU_TARGET_TRIPLE riscv64-linux-gnu)
set(ZENTU_DEB_ARCH riscv64)
set(ZENTU_QEMU qemu-riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
