# SPDX-License-Identifier: MIT
# Shared by the musl toolchain files: a static build against musl with a
# g++ that Debian configured for glibc, driven by musl's specs file (Debian
# ships musl but no C++ compiler set up for it). Before including it a
# toolchain file sets the compilers and
#   ZENTU_MUSL_TRIPLE          musl's triplet (/usr/lib/<triplet>/musl-gcc.specs)
#   ZENTU_CXX_HEADERS          the C++ headers' directories, in search order
#   ZENTU_KERNEL_HEADER_DIRS   the kernel's linux, asm and asm-generic directories
set(_specs /usr/lib/${ZENTU_MUSL_TRIPLE}/musl-gcc.specs)
if(NOT EXISTS ${_specs})
  message(FATAL_ERROR "${_specs} not found (Debian: apt-get install musl-dev, "
                      "for another architecture after dpkg --add-architecture)")
endif()

# The specs file's -nostdinc also hides the kernel's headers, which musl
# does not ship. They are made visible through a directory that holds
# only them, so none of glibc's headers can slip in beside musl's.
set(_kernel_headers ${CMAKE_BINARY_DIR}/musl-kernel-headers)
file(MAKE_DIRECTORY ${_kernel_headers})
foreach(_dir IN LISTS ZENTU_KERNEL_HEADER_DIRS)
  get_filename_component(_name ${_dir} NAME)
  file(CREATE_LINK ${_dir} ${_kernel_headers}/${_name} SYMBOLIC)
endforeach()

# The C++ headers come back first (they include_next musl's C headers);
# the glibc names they and the C++ library expect come from a header read
# before every source file.
set(_flags -specs=${_specs})
foreach(_dir IN LISTS ZENTU_CXX_HEADERS)
  list(APPEND _flags -isystem ${_dir})
endforeach()
list(APPEND _flags -isystem ${_kernel_headers} -include ${CMAKE_CURRENT_LIST_DIR}/musl-glibc-compat.h)
list(JOIN _flags " " _flags)
set(CMAKE_C_FLAGS_INIT "${_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_flags}")
# Only musl's static library is used: every program, the tests too, needs
# no library at all.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
