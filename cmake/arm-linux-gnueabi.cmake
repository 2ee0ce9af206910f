# SPDX-License-Identifier: MIT
# 32-bit ARM Linux, ARMv5 with soft-float (Debian's armel):
#   apt-get install g++-arm-linux-gnueabi qemu-user
set(CMAKE_SYSTEM_PROCESSOR armv5te)
set(ZENTU_TARGET_TRIPLE arm-linux-gnueabi)
set(ZENTU_DEB_ARCH armel)
set(ZENTU_QEMU qemu-arm)
set(ZENTU_TIME_BITS_64 ON)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
