# Installs the four libraries with their headers, a CMake package
# (find_package(VaultcoreDirlink)) and pkg-config files (vaultcore, dirlink).
include(CMakePackageConfigHelpers)

install(TARGETS platform netcore vaultcore dirlink
        EXPORT VaultcoreDirlinkTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(folder platform netcore vaultcore dirlink)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${folder}/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder}
          FILES_MATCHING PATTERN "*.h")
endforeach()

install(EXPORT VaultcoreDirlinkTargets NAMESPACE VaultcoreDirlink::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VaultcoreDirlink)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/VaultcoreDirlinkConfig.cmake.in
  ${CMAKE_BINARY_DIR}/VaultcoreDirlinkConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VaultcoreDirlink)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VaultcoreDirlinkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/VaultcoreDirlinkConfig.cmake
              ${CMAKE_BINARY_DIR}/VaultcoreDirlinkConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VaultcoreDirlink)

# Relocatable: the prefix is found from where the .pc file lies.
file(RELATIVE_PATH VC_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
foreach(pc vaultcore dirlink)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/${pc}.pc.in ${CMAKE_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
