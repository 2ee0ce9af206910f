SUMMARY = "Wait for one tap on a touch screen and report it"
DESCRIPTION = "zentu waits for one tap on a touch screen (a Linux input \
event device), optionally confirms it with a vibration pulse, and reports \
it: raw x/y, or through a map file the character of the rectangle hit with \
its value as exit status. zentu-probe finds the touch screen, zentu-map \
checks map files, zentu-play plays recorded taps."
SECTION = "utils"
LICENSE = "MIT"
LIC_FILES_CHKSUM = "file://LICENSE;md5=97d1b444ace49664de3d5a49ee1c490a"

# The release tarball (git archive --prefix=zentu-1.0.0/ -o
# zentu-1.0.0.tar.gz HEAD), kept in files/ beside this recipe. To build a
# checkout instead: INHERIT += "externalsrc" and
# EXTERNALSRC:pn-zentu = "<the checkout>" in local.conf.
SRC_URI = "file://zentu-${PV}.tar.gz"
S = "${WORKDIR}/zentu-${PV}"

# cmake.bbclass passes its own toolchain file, the install prefix and the
# build type, and installs with DESTDIR: the packager build zentu's CI
# proves. No tests on the target, so GoogleTest is neither needed nor
# looked for.
inherit cmake
EXTRA_OECMAKE = "-DBUILD_TESTING=OFF"

# The programs need the C library alone (the parts of the C++ library they
# use are linked in); the man pages go to ${PN}-doc, the example maps and
# recordings with them.
