# SPDX-License-Identifier: MIT
# 32-bit ARM Linux, ARMv7 with hard-float (Debian's armhf):
#   apt-get install g++-arm-linux-gnueabihf qemu-user
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZENTU_TARGET_TRIPLE arm-linux-gnueabihf)
set(ZENTU_DEB_ARCH armhf)
set(ZENTU_QEMU qemu-arm)
set(ZENTU_TIME_BITS_64 ON)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
