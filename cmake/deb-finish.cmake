# SPDX-License-Identifier: MIT
# Run by cpack on the staged package before it is built:
# - compresses the man pages and the changelog as Debian wants them, gzip
#   -9n (no name, no time stamp: the same package from the same files); a
#   plain install, and the source tree, keep them plain;
# - writes the checker's overrides (CPACK_ZENTU_LINTIAN_OVERRIDES), if any.
find_program(_gzip gzip REQUIRED)
set(_usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
file(GLOB_RECURSE _files LIST_DIRECTORIES false
     ${_usr}/share/man/*.[1-9] ${_usr}/share/doc/*/changelog)
if(NOT _files)
  message(FATAL_ERROR "no man page or changelog under ${_usr}")
endif()
foreach(_file IN LISTS _files)
  execute_process(COMMAND ${_gzip} -9nf ${_file} RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${_file}")
  endif()
endforeach()

if(CPACK_ZENTU_LINTIAN_OVERRIDES)
  list(JOIN CPACK_ZENTU_LINTIAN_OVERRIDES "\n" _overrides)
  file(CONFIGURE OUTPUT ${_usr}/share/lintian/overrides/${CPACK_PACKAGE_NAME}
       CONTENT "${_overrides}\n" @ONLY)
endif()
