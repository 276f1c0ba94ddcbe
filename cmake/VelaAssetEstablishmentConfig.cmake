# Package configuration of the asset establishment library: after
#
#   find_package(VelaAssetEstablishment 1 REQUIRED)
#   target_link_libraries(host PRIVATE VelaAssetEstablishment::VelaAssetEstablishment)
#
# a host includes <host/velaAssetEst.h> (the control) or <host/velaAssetEstC.h> (the C entry
# points for dlopen). The library brings Qt 6 Widgets and PrintSupport with it.
include(CMakeFindDependencyMacro)
find_dependency(Qt6 6.4 COMPONENTS Widgets PrintSupport)
include("${CMAKE_CURRENT_LIST_DIR}/VelaAssetEstablishmentTargets.cmake")
