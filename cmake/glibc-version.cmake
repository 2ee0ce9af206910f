# SPDX-License-Identifier: MIT
# zentu_newest_glibc(<var> <readelf> <binary>...): the newest GLIBC_x.y
# symbol version that any of the binaries asks for, 0 when none does.
function(zentu_newest_glibc var readelf)
  set(newest 0)
  foreach(binary IN LISTS ARGN)
    execute_process(COMMAND ${readelf} -V -W ${binary}
                    OUTPUT_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${readelf} -V failed on ${binary}")
    endif()
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
