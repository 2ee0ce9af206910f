# 32-bit ARM Linux, ARMv7 with hard-float, linked statically against musl:
# one binary that needs no library on any ARMv7 device, whatever its C
# library. Debian ships musl for the target but no C++ compiler set up for
# it, so this drives the glibc cross compiler with musl's specs file:
#   dpkg --add-architecture armhf && apt-get update
#   apt-get install g++-arm-linux-gnueabihf musl-dev:armhf qemu-user
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZENTU_TARGET_TRIPLE arm-linux-gnueabihf)
set(ZENTU_DEB_ARCH armhf)
set(ZENTU_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

set(ZENTU_MUSL_TRIPLE arm-linux-musleabihf)
set(_specs /usr/lib/${ZENTU_MUSL_TRIPLE}/musl-gcc.specs)
if(NOT EXISTS ${_specs})
  message(FATAL_ERROR "${_specs} not found (Debian: dpkg --add-architecture armhf, "
                      "then apt-get install musl-dev:armhf)")
endif()
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
                OUTPUT_VARIABLE _gcc_version OUTPUT_STRIP_TRAILING_WHITESPACE)
set(_cxx_headers ${ZENTU_TARGET_SYSROOT}/include/c++/${_gcc_version})

# The specs file's -nostdinc also hides the kernel's headers, which musl
# does not ship. They are made visible through a directory that holds
# only them, so none of glibc's headers can slip in beside musl's.
set(_kernel_headers ${CMAKE_BINARY_DIR}/musl-kernel-headers)
file(MAKE_DIRECTORY ${_kernel_headers})
foreach(_dir linux asm asm-generic)
  file(CREATE_LINK ${ZENTU_TARGET_SYSROOT}/include/${_dir} ${_kernel_headers}/${_dir} SYMBOLIC)
endforeach()

# The C++ headers come back first (they include_next musl's C headers);
# the glibc names they and the C++ library expect come from a header read
# before every source file.
string(JOIN " " _flags
  -specs=${_specs}
  -isystem ${_cxx_headers}
  -isystem ${_cxx_headers}/${ZENTU_TARGET_TRIPLE}
  -isystem ${_kernel_headers}
  -include ${CMAKE_CURRENT_LIST_DIR}/musl-glibc-compat.h)
set(CMAKE_C_FLAGS_INIT "${_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_flags}")
# Only musl's static library is used: every program needs no library at
# all, and runs under qemu-user without the target's tree.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
if(ZENTU_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTU_QEMU_PROGRAM})
endif()
