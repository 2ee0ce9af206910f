# SPDX-License-Identifier: MIT
# 32-bit big-endian MIPS Linux (Debian's mips): the target that shows
# nothing assumes the build machine's byte order.
#   apt-get install g++-mips-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR mips)
set(ZENTU_TARGET_TRIPLE mips-linux-gnu)
set(ZENTU_DEB_ARCH mips)
set(ZENTU_QEMU qemu-mips)
set(ZENTU_TIME_BITS_64 ON)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
