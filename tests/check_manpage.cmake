# SPDX-License-Identifier: MIT
# Checks the man page (cmake -P):
#   -DEMULATOR=<prefix, words joined by |> -DBINARY=.. -DMANPAGE=..
#       every option named in the help text, and every section a reader
#       looks for, is in the man page
#   -DGROFF=.. -DMANPAGE=..
#       the page renders without a single warning

function(check_options)
  string(REPLACE "|" ";" prefix "${EMULATOR}")
  execute_process(COMMAND ${prefix} ${BINARY} --help
                  OUTPUT_VARIABLE help RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${BINARY} --help ended with ${rc}")
  endif()
  file(READ ${MANPAGE} page)
  # In roff an option's hyphens are written \- so they stay hyphens.
  string(REPLACE "\\-" "-" page "${page}")
  string(REGEX MATCHALL "--[a-z]+(-[a-z]+)*" long "${help}")
  string(REGEX MATCHALL " -[a-zA-Z][ ,\n]" short "${help}")
  string(REGEX REPLACE "[ ,\n]" "" short "${short}")
  # -M is accepted (and ignored) though the help text does not list it.
  list(APPEND short -M)
  list(REMOVE_DUPLICATES long)
  if(long STREQUAL "")
    message(FATAL_ERROR "no options found in the help text")
  endif()
  set(missing "")
  foreach(opt IN LISTS long)
    string(FIND "${page}" "${opt}" at)
    if(at EQUAL -1)
      list(APPEND missing ${opt})
    endif()
  endforeach()
  foreach(opt IN LISTS short)
    if(NOT page MATCHES "\\\\fB${opt}\\\\fR")
      list(APPEND missing ${opt})
    endif()
  endforeach()
  foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS "MAP FILE" "EXIT STATUS" EXAMPLES)
    if(NOT page MATCHES "\n\\.SH \"?${section}\"?\n")
      list(APPEND missing "section ${section}")
    endif()
  endforeach()
  if(missing)
    message(FATAL_ERROR "not in ${MANPAGE}: ${missing}")
  endif()
  list(LENGTH long n)
  message(STATUS "${n} long options documented")
endfunction()

function(check_renders)
  execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${MANPAGE}
                  ERROR_VARIABLE warnings RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "groff on ${MANPAGE}: ${warnings}")
  endif()
endfunction()

if(DEFINED GROFF)
  check_renders()
else()
  check_options()
endif()
