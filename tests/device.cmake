# SPDX-License-Identifier: MIT
# Checks on the built product itself, on the host and in cross builds.
# ZENTU_EMULATOR: the emulator's words joined by "|", empty on the host.

add_executable(zentu_platform_tests platform_test.cpp)
target_link_libraries(zentu_platform_tests PRIVATE zentu_test_support GTest::gtest_main)
gtest_discover_tests(zentu_platform_tests DISCOVERY_TIMEOUT 60)

set(_check ${CMAKE_CURRENT_SOURCE_DIR}/check_binary.cmake)

# Nothing but libc, so the binary runs on any device with a C library
# (and needs nothing at all when linked statically), and no newer glibc
# than the README promises. The installed helpers may also need other parts
# of the C library (libm, the loader), all in the one package the Debian
# package depends on, whose version follows what they ask for.
if(ZENTU_STATIC)
  set(_needed "")
else()
  set(_needed libc.so.6)
endif()
add_test(NAME zentu_needs_only_libc
  COMMAND ${CMAKE_COMMAND} -DREADELF=${CMAKE_READELF} -DBINARY=$<TARGET_FILE:zentu>
          "-DEXPECT_NEEDED=${_needed}" -DGLIBC_MIN=${ZENTU_GLIBC_MIN} -P ${_check})
foreach(_tool IN LISTS ZENTU_INSTALLED_TOOLS)
  add_test(NAME ${_tool}_needs_only_libc
    COMMAND ${CMAKE_COMMAND} -DREADELF=${CMAKE_READELF} -DBINARY=$<TARGET_FILE:${_tool}>
            "-DEXPECT_NEEDED=${_needed}" -DLIBC_PARTS=ON -P ${_check})
endforeach()

# The stripped programs that go on the device must fit its budget (32-bit
# ARM, its home): 16 KiB each linked against glibc. Linked statically they
# carry the parts of musl they use: 44 KiB for zentu (the calibration, the
# resynchronisation after dropped events and the touch-screen check took
# 2.9 KB of code past a 4 KiB page at 40 KiB), 52 KiB for
# zentu-probe, whose printf brings musl's formatting core (6 KB), whose
# directory listing brings its allocator (5 KB), and whose wait for the
# device at boot (inotify, 2.3 KB) took it past a 4 KiB page at 48 KiB.
if(ZENTU_STATIC)
  set(_size_limit_zentu 45056)
  set(_size_limit_zentu-probe 53248)
else()
  set(_size_limit_zentu 16384)
  set(_size_limit_zentu-probe 16384)
endif()
if(ZENTU_DEB_ARCH STREQUAL "armhf")
  foreach(_program zentu zentu-probe)
    add_test(NAME ${_program}_stripped_size
      COMMAND ${CMAKE_COMMAND} -DSTRIP=${CMAKE_STRIP} -DBINARY=$<TARGET_FILE:${_program}>
              -DMAX_SIZE=${_size_limit_${_program}} -DWORK=${CMAKE_CURRENT_BINARY_DIR} -P ${_check})
  endforeach()
endif()

# The man page documents every option the program knows.
add_test(NAME zentu_man_page_options
  COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${ZENTU_EMULATOR}" -DBINARY=$<TARGET_FILE:zentu>
          -DMANPAGE=${PROJECT_SOURCE_DIR}/docs/zentu.1 -P ${CMAKE_CURRENT_SOURCE_DIR}/check_manpage.cmake)
# Every page in docs/ renders without a warning.
find_program(ZENTU_GROFF groff)
if(ZENTU_GROFF)
  file(GLOB _pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.1)
  foreach(_path IN LISTS _pages)
    get_filename_component(_page ${_path} NAME_WE)
    add_test(NAME ${_page}_man_page_renders
      COMMAND ${CMAKE_COMMAND} -DGROFF=${ZENTU_GROFF} -DMANPAGE=${_path}
              -P ${CMAKE_CURRENT_SOURCE_DIR}/check_manpage.cmake)
  endforeach()
endif()
