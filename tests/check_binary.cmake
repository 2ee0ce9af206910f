# SPDX-License-Identifier: MIT
# Checks a built binary (cmake -P):
#   -DREADELF=.. -DBINARY=.. -DEXPECT_NEEDED=<list> [-DGLIBC_MIN=x.y]
#       the NEEDED entries are exactly EXPECT_NEEDED, and no symbol asks
#       for a glibc newer than GLIBC_MIN; with -DLIBC_PARTS=ON other parts
#       of the C library (libm, the dynamic loader) are allowed as well
#   -DSTRIP=.. -DBINARY=.. -DMAX_SIZE=<bytes> -DWORK=<dir>
#       the stripped binary is at most MAX_SIZE bytes

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/budgets.cmake)

function(check_needed)
  zentu_readelf(out ${READELF} -d ${BINARY})
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]*\\]" lines "${out}")
  set(needed "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ".*\\[([^]]*)\\]$" "\\1" lib "${line}")
    list(APPEND needed ${lib})
  endforeach()
  message(STATUS "NEEDED: ${needed}")
  if(LIBC_PARTS)
    list(FILTER needed EXCLUDE REGEX "^(${ZENTU_LIBC_PARTS})$")
  endif()
  if(NOT "${needed}" STREQUAL "${EXPECT_NEEDED}")
    message(FATAL_ERROR "${BINARY} needs [${needed}], expected [${EXPECT_NEEDED}]")
  endif()
endfunction()

function(check_glibc_versions)
  zentu_newest_glibc(newest ${READELF} ${BINARY})
  message(STATUS "newest glibc symbol version: ${newest}")
  if(newest VERSION_GREATER GLIBC_MIN)
    message(FATAL_ERROR "${BINARY} needs glibc ${newest}, newer than ${GLIBC_MIN}")
  endif()
endfunction()

function(check_stripped_size)
  get_filename_component(name ${BINARY} NAME)
  set(stripped ${WORK}/${name}.stripped)
  execute_process(COMMAND ${STRIP} -o ${stripped} ${BINARY} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${STRIP} failed on ${BINARY}")
  endif()
  file(SIZE ${stripped} size)
  message(STATUS "stripped size: ${size} bytes (limit ${MAX_SIZE})")
  if(size GREATER MAX_SIZE)
    message(FATAL_ERROR "stripped ${name} is ${size} bytes, over the limit of ${MAX_SIZE}")
  endif()
endfunction()

if(DEFINED MAX_SIZE)
  check_stripped_size()
else()
  check_needed()
  if(GLIBC_MIN AND NOT "${EXPECT_NEEDED}" STREQUAL "")
    check_glibc_versions()
  endif()
endif()
