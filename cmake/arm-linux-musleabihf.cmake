# SPDX-License-Identifier: MIT
# 32-bit ARM Linux, ARMv7 with hard-float, linked statically against musl:
# one binary that needs no library on any ARMv7 device, whatever its C
# library. The glibc cross compiler with musl's specs file:
#   dpkg --add-architecture armhf && apt-get update
#   apt-get install g++-arm-linux-gnueabihf musl-dev:armhf qemu-user
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZENTU_TARGET_TRIPLE arm-linux-gnueabihf)
set(ZENTU_DEB_ARCH armhf)
set(ZENTU_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
                OUTPUT_VARIABLE _gcc_version OUTPUT_STRIP_TRAILING_WHITESPACE)
set(_include ${ZENTU_TARGET_SYSROOT}/include)
set(ZENTU_MUSL_TRIPLE arm-linux-musleabihf)
set(ZENTU_CXX_HEADERS ${_include}/c++/${_gcc_version} ${_include}/c++/${_gcc_version}/${ZENTU_TARGET_TRIPLE})
set(ZENTU_KERNEL_HEADER_DIRS ${_include}/linux ${_include}/asm ${_include}/asm-generic)
include(${CMAKE_CURRENT_LIST_DIR}/musl-static.cmake)

# Static programs run under qemu-user without the target's tree.
if(ZENTU_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTU_QEMU_PROGRAM})
endif()
