# What `cmake --install` puts under the prefix: the two libraries, the
# exported headers in include/tvav (the stand-in's in include/tvav-host),
# avctl, the CMake package (targets tvav::tvav and tvav::host) and the
# pkg-config files tvav.pc and tvav-host.pc.
include(CMakePackageConfigHelpers)

set(TVAV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tvav)

install(TARGETS tvav tvav_host EXPORT tvavTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS avctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tvav-host FILES_MATCHING PATTERN "*.h")

install(EXPORT tvavTargets NAMESPACE tvav:: DESTINATION ${TVAV_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/tvavConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tvavConfig.cmake INSTALL_DESTINATION ${TVAV_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tvavConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tvavConfig.cmake ${PROJECT_BINARY_DIR}/tvavConfigVersion.cmake
  DESTINATION ${TVAV_CMAKE_DIR})

# The .pc files find the prefix from their own place, so the installed tree
# can be moved and `cmake --install --prefix` needs no reconfigure.
file(RELATIVE_PATH TVAV_PC_PREFIX /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
string(REGEX REPLACE "/$" "" TVAV_PC_PREFIX "${TVAV_PC_PREFIX}")
foreach(pc tvav tvav-host)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# avctl's manual page (made at build time from --help) and bash completion.
if(TARGET avctl_man)
  install(FILES ${PROJECT_BINARY_DIR}/tools/avctl/avctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/tools/avctl/avctl.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME avctl)
