# SPDX-License-Identifier: MIT
# Shared by the toolchain files: a Linux cross build with one of Debian's
# cross compilers (apt-get install g++-<triplet> qemu-user). Before
# including it a toolchain file sets
#   CMAKE_SYSTEM_PROCESSOR
#   ZENTU_TARGET_TRIPLE   the compiler's triplet; its tree is /usr/<triplet>
#   ZENTU_DEB_ARCH        the Debian architecture the package is built for
#   ZENTU_QEMU            the qemu-user program for the CPU
#   ZENTU_TIME_BITS_64    ON on 32-bit CPUs, so the clock stays right past 2038
# The built programs run under user-mode emulation, so the whole test suite
# runs on the build machine (CTest and gtest_discover_tests use the emulator).
set(CMAKE_SYSTEM_NAME Linux)
set(ZENTU_TARGET_SYSROOT /usr/${ZENTU_TARGET_TRIPLE})

set(CMAKE_C_COMPILER ${ZENTU_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZENTU_TARGET_TRIPLE}-g++)

# 64-bit time_t and off_t on a 32-bit CPU. input_event keeps its 16-byte
# kernel layout either way, but its time stamp is then reached only
# through input_event_sec and input_event_usec.
if(ZENTU_TIME_BITS_64)
  set(CMAKE_C_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
  set(CMAKE_CXX_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
endif()

# Libraries and headers come from the target's tree only, programs from
# the build machine.
set(CMAKE_FIND_ROOT_PATH ${ZENTU_TARGET_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# There is no binfmt handler on the build machines: every program for the
# target is started through qemu-user, which takes the target's loader and
# C library from the target's tree.
find_program(ZENTU_QEMU_PROGRAM ${ZENTU_QEMU})
if(ZENTU_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTU_QEMU_PROGRAM} -L ${ZENTU_TARGET_SYSROOT})
endif()
