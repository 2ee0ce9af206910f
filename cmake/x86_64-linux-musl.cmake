# SPDX-License-Identifier: MIT
# 64-bit x86 Linux linked statically against musl, built and tested on the
# build machine itself: musl on a 64-bit CPU, where ioctl takes an int
# request. The build machine's g++ with musl's specs file:
#   apt-get install g++ musl-dev
# A target of its own (CMAKE_SYSTEM_NAME is set), so the build machine's
# glibc libraries, GoogleTest's among them, are never taken.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(ZENTU_DEB_ARCH amd64)

set(ZENTU_MUSL_TRIPLE x86_64-linux-musl)
set(CMAKE_FIND_ROOT_PATH /usr/lib/${ZENTU_MUSL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
                OUTPUT_VARIABLE _gcc_version OUTPUT_STRIP_TRAILING_WHITESPACE)
set(ZENTU_CXX_HEADERS /usr/include/c++/${_gcc_version}
                      /usr/include/x86_64-linux-gnu/c++/${_gcc_version})
set(ZENTU_KERNEL_HEADER_DIRS /usr/include/linux /usr/include/x86_64-linux-gnu/asm
                             /usr/include/asm-generic)
include(${CMAKE_CURRENT_LIST_DIR}/musl-static.cmake)
# The unwinder finds the unwind tables through the program's header of
# them, which a static link leaves out unless asked.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--eh-frame-hdr")
