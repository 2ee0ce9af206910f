# SPDX-License-Identifier: MIT
# Checks on the built product itself, on the host and in cross builds.
# ZENTU_EMULATOR: the emulator's words joined by "|", empty on the host.

add_executable(zentu_platform_tests platform_test.cpp)
target_link_libraries(zentu_platform_tests PRIVATE zentu_test_support GTest::gtest_main)
gtest_discover_tests(zentu_platform_tests DISCOVERY_TIMEOUT 60)

set(_check ${CMAKE_CURRENT_SOURCE_DIR}/check_binary.cmake)

# Nothing but the libraries, no newer glibc and no more bytes than
# cmake/budgets.cmake allows.
include(${PROJECT_SOURCE_DIR}/cmake/budgets.cmake)
if(ZENTU_STATIC)
  set(_needed "")
  set(_budget ZENTU_STATIC_SIZE_BUDGET)
else()
  set(_needed ${ZENTU_LIBC})
  set(_budget ZENTU_SIZE_BUDGET)
endif()
add_test(NAME zentu_needs_only_libc
  COMMAND ${CMAKE_COMMAND} -DREADELF=${CMAKE_READELF} -DBINARY=$<TARGET_FILE:zentu>
          "-DEXPECT_NEEDED=${_needed}" -DGLIBC_MIN=${ZENTU_GLIBC_MIN} -P ${_check})
foreach(_tool IN LISTS ZENTU_INSTALLED_TOOLS)
  add_test(NAME ${_tool}_needs_only_libc
    COMMAND ${CMAKE_COMMAND} -DREADELF=${CMAKE_READELF} -DBINARY=$<TARGET_FILE:${_tool}>
            "-DEXPECT_NEEDED=${_needed}" -DLIBC_PARTS=ON -P ${_check})
endforeach()

foreach(_program zentu ${ZENTU_INSTALLED_TOOLS})
  if(ZENTU_DEB_ARCH STREQUAL ZENTU_BUDGET_ARCH AND DEFINED ${_budget}_${_program})
    add_test(NAME ${_program}_stripped_size
      COMMAND ${CMAKE_COMMAND} -DSTRIP=${CMAKE_STRIP} -DBINARY=$<TARGET_FILE:${_program}>
              -DMAX_SIZE=${${_budget}_${_program}} -DWORK=${CMAKE_CURRENT_BINARY_DIR} -P ${_check})
  endif()
endforeach()

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
