# Debian packages of the library and the demo host, made with `cpack -G DEB` in a build folder:
#   vela-asset      the program, the shared library, the desktop entry and the icon
#   vela-asset-dev  the public headers, the library's link name and the CMake package
# An office installs the first with `apt install ./vela-asset_<version>_<arch>.deb`;
# scripts/check-package builds, installs and starts both.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vela-asset)
set(CPACK_PACKAGE_VENDOR "Vela")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vela developers <developers@vela.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # <name>_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program and the library load are found by dpkg-shlibdeps; what they load at
# run time by name is listed: Qt's platform plugins (a window needs one) and a font with Persian
# letters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME vela-asset)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "fonts-noto-core")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME vela-asset-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON) # -dev depends on the same version of vela-asset

# The first line of each description is the package's synopsis (no package-wide summary is set:
# CPack would put it before each of them).
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "Fixed asset establishment (استقرار) for a Persian-language ERP suite
The registration of fixed assets as a Qt 6 Widgets component: a shared
library with the public control velaAssetEst and plain C entry points, and
the demo host program vela-asset, which opens the entry form on an embedded
demo database (SQLite) created on its first start. Right to left, Persian
texts and Persian (solar) dates.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Fixed asset establishment: files for building hosts
The public headers of the velaAssetEst control and its C entry points, the
library's link name and the CMake package, so that a host program uses
find_package(VelaAssetEstablishment).")
include(CPack)
cpack_add_component(runtime DISPLAY_NAME "Program and library")
cpack_add_component(development DISPLAY_NAME "Headers and CMake package" DEPENDS runtime)
