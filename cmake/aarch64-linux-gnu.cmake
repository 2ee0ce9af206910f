# SPDX-License-Identifier: MIT
# 64-bit ARM Linux (Debian's arm64):
#   apt-get install g++-aarch64-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ZENTU_TARGET_TRIPLE aarch64-linux-gnu)
set(ZENTU_DEB_ARCH arm64)
set(ZENTU_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
