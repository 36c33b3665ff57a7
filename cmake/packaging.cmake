# The zip a shop installs from: the bridge, the command-line tool, a
# proxyconfig.xml to edit and a README for the shop, all in one folder
# (the program reads its configuration and writes its log beside itself).
# Built with `cmake --build <build> --target package` in a Windows build.
install(TARGETS zorbel zorbel-cli RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/README.txt
              ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/proxyconfig.xml
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "zorbel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME "windows-x64")
set(CPACK_PACKAGE_FILE_NAME "zorbel-${PROJECT_VERSION}-windows-x64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The debugging information stays in the build; the shop gets small programs.
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

# The installer (packaging/windows/zorbel.nsi), made with Debian's makensis
# from the stripped install: `cmake --build <build> --target installer`.
find_program(ZORBEL_MAKENSIS makensis)
if(ZORBEL_MAKENSIS)
  set(zorbel_installer_files ${CMAKE_BINARY_DIR}/installer-files)
  set(zorbel_installer ${CMAKE_BINARY_DIR}/package/zorbel-${PROJECT_VERSION}-setup-x64.exe)
  add_custom_target(installer
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${zorbel_installer_files} --strip
    COMMAND ${ZORBEL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBUILD_DIR=${zorbel_installer_files}
            -DOUTFILE=${zorbel_installer} ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/zorbel.nsi
    DEPENDS zorbel zorbel-cli
    COMMENT "Windows installer ${zorbel_installer}"
    VERBATIM)
endif()
