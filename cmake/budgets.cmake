# SPDX-License-Identifier: MIT
# What the programs that go on the device may cost and need: read by the
# tests (tests/device.cmake, tests/check_binary.cmake), by the package's
# Depends (install.cmake) and by .ci/check-deb, which prints one fact with
#   cmake -DZENTU_PRINT=<variable> -P cmake/budgets.cmake

# zentu itself asks for no glibc newer than this: 64-bit time on 32-bit ARM
# takes 2.34.
set(ZENTU_GLIBC_MIN 2.34 CACHE STRING "Newest glibc the dynamic zentu may ask for")

# Nothing but libc, so zentu runs on any device with a C library (and needs
# nothing at all when linked statically). The installed helpers may also
# need other parts of the C library (libm, the loader), all in the one
# package the Debian package depends on.
set(ZENTU_LIBC libc.so.6)
set(ZENTU_LIBC_PARTS "libm\\.so\\.6|ld-linux[-a-z0-9_.]*\\.so\\.[0-9]+|ld\\.so\\.1")

# The stripped programs that go on the device must fit its budget (32-bit
# ARM, its home): 16 KiB each linked against glibc. Linked statically they
# carry the parts of musl they use: 44 KiB for zentu (the calibration, the
# resynchronisation after dropped events and the touch-screen check took
# 2.9 KB of code past a 4 KiB page at 40 KiB), 52 KiB for
# zentu-probe, whose printf brings musl's formatting core (6 KB), whose
# directory listing brings its allocator (5 KB), and whose wait for the
# device at boot (inotify, 2.3 KB) took it past a 4 KiB page at 48 KiB.
set(ZENTU_BUDGET_ARCH armhf)
set(ZENTU_SIZE_BUDGET_zentu 16384)
set(ZENTU_SIZE_BUDGET_zentu-probe 16384)
set(ZENTU_STATIC_SIZE_BUDGET_zentu 45056)
set(ZENTU_STATIC_SIZE_BUDGET_zentu-probe 53248)

# zentu_readelf(<var> <readelf> <option> <binary>): what readelf <option>
# prints about the binary; a failure stops the caller.
function(zentu_readelf var readelf option binary)
  execute_process(COMMAND ${readelf} ${option} -W ${binary}
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${readelf} ${option} failed on ${binary}")
  endif()
  set(${var} "${out}" PARENT_SCOPE)
endfunction()

# zentu_newest_glibc(<var> <readelf> <binary>...): the newest GLIBC_x.y
# symbol version that any of the binaries asks for, 0 when none does.
function(zentu_newest_glibc var readelf)
  set(newest 0)
  foreach(binary IN LISTS ARGN)
    zentu_readelf(out ${readelf} -V ${binary})
    string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" names "${out}")
    foreach(name IN LISTS names)
      string(REPLACE "Name: GLIBC_" "" v "${name}")
      if(v VERSION_GREATER newest)
        set(newest ${v})
      endif()
    endforeach()
  endforeach()
  set(${var} ${newest} PARENT_SCOPE)
endfunction()

if(DEFINED ZENTU_PRINT)
  message(NOTICE "${${ZENTU_PRINT}}")
endif()
