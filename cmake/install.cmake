# SPDX-License-Identifier: MIT
# What is installed, every rule in this file, and the Debian package made
# of it: zentu-static (ZENTU_STATIC, needs no library) or zentu (needs
# glibc, at the version its programs ask for).
include(GNUInstallDirs)

# The programs installed with zentu. They need nothing beyond the C library
# either (see zentu_device), so the package depends on libc6 alone.
set(ZENTU_INSTALLED_TOOLS zentu-play zentu-probe zentu-map)

install(TARGETS zentu ${ZENTU_INSTALLED_TOOLS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/zentu.1 docs/zentu-play.1 docs/zentu-probe.1 docs/zentu-map.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# The package's name: zentu-static is the same programs linked statically.
if(ZENTU_STATIC)
  set(ZENTU_PACKAGE zentu-static)
else()
  set(ZENTU_PACKAGE zentu)
endif()

# The licence and the release notes go where Debian's policy wants them in
# every package, /usr/share/doc/<package>; a plain install has them in the
# same place. The examples stay in share/doc/zentu whichever package holds
# them, where the man pages point.
set(_package_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${ZENTU_PACKAGE})
# The copyright file in Debian's machine-readable format, made of LICENSE
# so that the terms are written once.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE _licence)
list(FILTER _licence INCLUDE REGEX "^Copyright")
string(REGEX REPLACE "^Copyright \\(c\\) " "" _holder "${_licence}")
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _licence)
string(REGEX REPLACE "^.*\nPermission" "Permission" _licence "${_licence}")
string(REGEX REPLACE "\n+$" "" _licence "${_licence}")
string(REPLACE "\n\n" "\n.\n" _licence "${_licence}")
string(REPLACE "\n" "\n " _licence "${_licence}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: zentu

Files: *
Copyright: @_holder@
License: Expat
 @_licence@
")
install(FILES ${PROJECT_BINARY_DIR}/copyright changelog DESTINATION ${_package_docdir})

# --- Debian package ------------------------------------------------------
# The glibc zentu may ask for, the libraries and the size budgets.
include(${CMAKE_CURRENT_LIST_DIR}/budgets.cmake)

# The toolchain files name the Debian architecture; a host build maps the
# processor's name.
if(DEFINED ZENTU_DEB_ARCH)
  # set by the toolchain file
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(ZENTU_DEB_ARCH amd64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
  set(ZENTU_DEB_ARCH i386)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(ZENTU_DEB_ARCH arm64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(arm|armv7.*)$")
  set(ZENTU_DEB_ARCH armhf)
else()
  set(ZENTU_DEB_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zentu maintainers <zentu@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wait for one tap on a touch screen and report it")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "zentu waits for one tap on a touch screen (a Linux input event device),\n"
    "optionally confirms it with a vibration pulse, and reports it: raw x/y\n"
    "on standard output, or, through a map file of screen rectangles, the\n"
    "character of the rectangle hit with its value as exit status.")
if(ZENTU_STATIC)
  # The same programs, linked statically: for a device whose C library is
  # older than the dynamic package needs, or not glibc at all. The two hold
  # the same files, so one replaces the other.
  set(CPACK_PACKAGE_NAME ${ZENTU_PACKAGE})
  # Built from the same source as zentu, whose changelog it carries.
  set(CPACK_DEBIAN_PACKAGE_SOURCE zentu)
  set(CPACK_DEBIAN_PACKAGE_PROVIDES zentu)
  set(CPACK_DEBIAN_PACKAGE_CONFLICTS zentu)
  set(CPACK_DEBIAN_PACKAGE_REPLACES zentu)
  list(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "\n.\nThis package is statically linked and needs no library at all.")
endif()
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ZENTU_DEB_ARCH})
# The package depends on the newest glibc that any program in it asks for
# (a helper may ask for more than zentu); cpack reads it off the built
# programs.
if(NOT ZENTU_STATIC)
  set(_programs "")
  foreach(_program zentu ${ZENTU_INSTALLED_TOOLS})
    string(APPEND _programs " \"$<TARGET_FILE:${_program}>\"")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/zentu-cpack-depends.cmake CONTENT
"# Generated: makes the package depend on the glibc its programs need.
include(\"${CMAKE_CURRENT_LIST_DIR}/budgets.cmake\")
zentu_newest_glibc(_glibc \"${CMAKE_READELF}\"${_programs})
set(CPACK_DEBIAN_PACKAGE_DEPENDS \"libc6 (>= \${_glibc})\")
")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/zentu-cpack-depends.cmake)
endif()
set(CPACK_DEBIAN_FILE_NAME ${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_${ZENTU_DEB_ARCH}.deb)
set(CPACK_STRIP_FILES ON)
# Compressed in the package only, as Debian wants them: man pages and the
# changelog (see deb-finish.cmake); the source tree and a plain install
# keep them plain.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb-finish.cmake)
# The tags of Debian's package checker left on purpose, each with its
# reason (a comment line before it); the package carries them.
set(CPACK_ZENTU_LINTIAN_OVERRIDES "")
if(ZENTU_DEB_ARCH STREQUAL "mips")
  # Debian's linker for MIPS leaves RELRO out; asked for, it pads every
  # program to MIPS's 64 KiB page (zentu from 18 KB to 66 KB).
  list(APPEND CPACK_ZENTU_LINTIAN_OVERRIDES
       "# RELRO would pad each program to a 64 KiB page on MIPS: zentu from 18 KB to 66 KB."
       "${CPACK_PACKAGE_NAME}: hardening-no-relro")
endif()
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
