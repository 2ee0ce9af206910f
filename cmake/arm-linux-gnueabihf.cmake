# Cross-build for 32-bit ARM Linux with hard-float (Debian's armhf):
#   apt-get install g++-arm-linux-gnueabihf qemu-user
# The built programs run under user-mode emulation, so the test suite runs
# on the build machine (CTest and gtest_discover_tests use the emulator).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(ZENTU_TARGET_TRIPLE arm-linux-gnueabihf)
set(ZENTU_TARGET_SYSROOT /usr/${ZENTU_TARGET_TRIPLE})

set(CMAKE_C_COMPILER ${ZENTU_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZENTU_TARGET_TRIPLE}-g++)

# 64-bit time_t and off_t: the clock stays right past 2038. input_event
# keeps its 16-byte kernel layout either way, but its time stamp is then
# reached only through input_event_sec and input_event_usec.
set(CMAKE_C_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_TIME_BITS=64 -D_FILE_OFFSET_BITS=64")

# Libraries and headers come from the target's tree only, programs from
# the build machine.
set(CMAKE_FIND_ROOT_PATH ${ZENTU_TARGET_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# There is no binfmt handler on the build machines: every ARM program is
# started through qemu-arm, which takes the target's loader and libc from
# the target tree.
find_program(ZENTU_QEMU_ARM qemu-arm)
if(ZENTU_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTU_QEMU_ARM} -L ${ZENTU_TARGET_SYSROOT})
endif()
