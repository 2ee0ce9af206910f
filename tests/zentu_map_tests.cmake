# SPDX-License-Identifier: MIT
# zentu-map: its analysis on memory files, and the built tool on the
# example maps. Included from tests/CMakeLists.txt.
find_program(ZENTU_XMLLINT xmllint)
if(NOT ZENTU_XMLLINT)
  set(ZENTU_XMLLINT "")
endif()

add_executable(zentu_map_tests zentu_map_test.cpp zentu_map_grid_test.cpp
  zentu_map_calibrate_test.cpp)
target_link_libraries(zentu_map_tests PRIVATE zentu_map_core zentu_test_support GTest::gtest_main)
target_compile_definitions(zentu_map_tests PRIVATE
  ZENTU_MAP="$<TARGET_FILE:zentu-map>"
  ZENTU_MAP_DOCS="${PROJECT_SOURCE_DIR}/docs"
  ZENTU_XMLLINT="${ZENTU_XMLLINT}")
add_dependencies(zentu_map_tests zentu-map)
gtest_discover_tests(zentu_map_tests DISCOVERY_TIMEOUT 60)
