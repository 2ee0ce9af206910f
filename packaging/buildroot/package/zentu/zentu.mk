################################################################################
#
# zentu
#
################################################################################

ZENTU_VERSION = 1.0.0
# Built from the checkout this external tree lives in (packaging/buildroot);
# a product that keeps its own copy points ZENTU_SITE at it, or at a release
# tarball with ZENTU_SITE_METHOD removed.
ZENTU_SITE = $(BR2_EXTERNAL_ZENTU_PATH)/../..
ZENTU_SITE_METHOD = local
ZENTU_LICENSE = MIT
ZENTU_LICENSE_FILES = LICENSE
# cmake-package passes Buildroot's toolchain file, CMAKE_BUILD_TYPE=Release
# (Debug with BR2_ENABLE_RUNTIME_DEBUG) and CMAKE_INSTALL_PREFIX=/usr, and
# installs with DESTDIR: the packager build zentu's CI proves. No tests on
# the target, so GoogleTest is neither needed nor looked for.
ZENTU_CONF_OPTS = -DBUILD_TESTING=OFF

$(eval $(cmake-package))
