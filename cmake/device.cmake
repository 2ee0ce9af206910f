# What it takes for zentu to fit its devices: a small binary that needs
# nothing but libc (or nothing at all, with ZENTU_STATIC), the install
# layout and the Debian package.

option(ZENTU_STATIC "Link the installed programs statically, for devices with an older C library" OFF)

# Size: every function and object in its own section, so the linker drops
# whatever main does not reach. No unwind tables: nothing throws.
set(ZENTU_SIZE_COMPILE_OPTIONS -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -fno-unwind-tables)
target_compile_options(zentu_core PRIVATE ${ZENTU_SIZE_COMPILE_OPTIONS})
target_compile_options(zentu PRIVATE ${ZENTU_SIZE_COMPILE_OPTIONS})
target_link_options(zentu PRIVATE -Wl,--gc-sections -Wl,--as-needed)
# zentu-probe goes on the device beside zentu, under the same budget.
target_compile_options(zentu-probe PRIVATE ${ZENTU_SIZE_COMPILE_OPTIONS})
target_link_options(zentu-probe PRIVATE -Wl,--as-needed)
# The distribution's PIE and RELRO stay. RELRO pads the file to a page
# boundary before the writable data, so the stripped size moves in 4 KiB
# steps (14 KB on ARM now, with about 3 KB of code to spare before the next
# step); -Wl,-z,norelro would bring it to about 10.5 KB.

# The helpers installed with zentu. The package depends on libc6 alone,
# so they too need nothing beyond the C library: what they use of the C++
# library is linked in, and the linker drops the rest.
set(ZENTU_INSTALLED_TOOLS zentu-play zentu-probe)
if(TARGET zentu-map)
  list(APPEND ZENTU_INSTALLED_TOOLS zentu-map)
endif()
foreach(_tool IN LISTS ZENTU_INSTALLED_TOOLS)
  target_link_options(${_tool} PRIVATE -static-libstdc++ -static-libgcc -Wl,--gc-sections)
endforeach()

if(ZENTU_STATIC)
  foreach(_program zentu ${ZENTU_INSTALLED_TOOLS})
    target_link_options(${_program} PRIVATE -static)
  endforeach()
endif()

# Cross builds cannot use the build machine's GoogleTest libraries.
if(CMAKE_CROSSCOMPILING AND ZENTU_TESTS)
  include(${CMAKE_CURRENT_LIST_DIR}/googletest-source.cmake)
endif()

# --- install -------------------------------------------------------------
include(GNUInstallDirs)
install(TARGETS zentu-play RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES docs/zentu.1 docs/zentu-play.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# --- Debian package ------------------------------------------------------
# zentu itself asks for no glibc newer than this: 64-bit time on 32-bit ARM
# takes 2.34. A test holds the binary to it.
set(ZENTU_GLIBC_MIN 2.34 CACHE STRING "Newest glibc the dynamic zentu may ask for")

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(arm|armv7.*)$")
  set(ZENTU_DEB_ARCH armhf)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(ZENTU_DEB_ARCH arm64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(ZENTU_DEB_ARCH amd64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
  set(ZENTU_DEB_ARCH i386)
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
include(\"${CMAKE_CURRENT_LIST_DIR}/glibc-version.cmake\")
zentu_newest_glibc(_glibc \"${CMAKE_READELF}\"${_programs})
set(CPACK_DEBIAN_PACKAGE_DEPENDS \"libc6 (>= \${_glibc})\")
")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/zentu-cpack-depends.cmake)
endif()
set(CPACK_DEBIAN_FILE_NAME zentu_${PROJECT_VERSION}_${ZENTU_DEB_ARCH}.deb)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
