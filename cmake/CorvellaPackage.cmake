# `cmake --install` puts the automation library, the layers below it, their
# headers and a package into the prefix, so that an application can
#   find_package(Corvella)
#   target_link_libraries(app PRIVATE Corvella::Automation)
# and open the script editor window from its own code (QMDrovebot/batch/
# ScriptEditor.h). Everything here is in the "Development" component; the
# library that --app preloads is installed with the program.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(_corvella_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/Corvella)
set(_corvella_includedir ${CMAKE_INSTALL_INCLUDEDIR}/corvella)

set_target_properties(QMDrovebot PROPERTIES EXPORT_NAME Automation)
set_target_properties(QMWidgets PROPERTIES EXPORT_NAME Framework)
set_target_properties(MTools PROPERTIES EXPORT_NAME Tools)
foreach(_lib QMDrovebot QMWidgets MTools)
  target_include_directories(${_lib} INTERFACE $<INSTALL_INTERFACE:${_corvella_includedir}>)
endforeach()

install(TARGETS QMDrovebot QMWidgets MTools EXPORT CorvellaTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/libs/cpp/QMDrovebot ${CMAKE_SOURCE_DIR}/libs/cpp/QMWidgets
  ${CMAKE_SOURCE_DIR}/libs/cpp/MTools
  DESTINATION ${_corvella_includedir} COMPONENT Development FILES_MATCHING PATTERN "*.h")
install(EXPORT CorvellaTargets NAMESPACE Corvella:: DESTINATION ${_corvella_cmakedir} COMPONENT Development)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/CorvellaConfig.cmake.in
  ${CMAKE_BINARY_DIR}/CorvellaConfig.cmake INSTALL_DESTINATION ${_corvella_cmakedir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/CorvellaConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/CorvellaConfig.cmake ${CMAKE_BINARY_DIR}/CorvellaConfigVersion.cmake
  DESTINATION ${_corvella_cmakedir} COMPONENT Development)

install(TARGETS corvella-attach LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/corvella)
