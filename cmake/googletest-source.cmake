# SPDX-License-Identifier: MIT
# GoogleTest built from the system's sources, for targets that the system's
# prebuilt libraries (built for the build machine) cannot serve. Only what
# the tests link is built; nothing is installed.
set(ZENTU_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${ZENTU_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${ZENTU_GOOGLETEST_SOURCE} "
                      "(Debian: apt-get install googletest)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZENTU_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The project's own warning options are not GoogleTest's business.
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")

# GoogleTest's build defines GTest::gtest and GTest::gtest_main; these make
# a later find_package(GTest) take them instead of searching.
set(GTEST_INCLUDE_DIR ${ZENTU_GOOGLETEST_SOURCE}/googletest/include CACHE PATH "" FORCE)
set(GTEST_LIBRARY GTest::gtest CACHE STRING "" FORCE)
set(GTEST_MAIN_LIBRARY GTest::gtest_main CACHE STRING "" FORCE)
