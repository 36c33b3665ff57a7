# The Debian package, made with `cpack -G DEB` in a build directory:
# /usr/bin/zorbel, zorbel-cli and zorbel-emulator with their manual pages,
# the configuration as the conffile /etc/zorbel/proxyconfig.xml, the systemd
# unit (its own user, in the dialout group; the log in /var/lib/zorbel), the
# README. The
# maintainer scripts and unit live in packaging/debian/.
set(zorbel_deb ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian)

install(TARGETS zorbel zorbel-cli zorbel-emulator RUNTIME DESTINATION bin)
install(FILES ${zorbel_deb}/proxyconfig.xml DESTINATION /etc/zorbel)
install(FILES ${zorbel_deb}/zorbel.service DESTINATION lib/systemd/system)
install(FILES README.md ARCHITECTURE.md ${zorbel_deb}/copyright
        DESTINATION share/doc/zorbel)

# Debian wants the changelog compressed, reproducibly (no name or time).
configure_file(${zorbel_deb}/changelog ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.gz
  COMMAND gzip -9nf -k ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog)
add_custom_target(zorbel_deb_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/deb/changelog.gz DESTINATION share/doc/zorbel)

# A manual page for each program, compressed the same way.
foreach(page zorbel zorbel-cli zorbel-emulator)
  set(gz ${CMAKE_CURRENT_BINARY_DIR}/deb/${page}.1.gz)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND gzip -9n -c ${zorbel_deb}/man/${page}.1 > ${gz}
    DEPENDS ${zorbel_deb}/man/${page}.1)
  list(APPEND zorbel_man_pages ${gz})
endforeach()
add_custom_target(zorbel_deb_man_pages ALL DEPENDS ${zorbel_man_pages})
install(FILES ${zorbel_man_pages} DESTINATION share/man/man1)

set(CPACK_PACKAGE_NAME zorbel)
set(CPACK_PACKAGE_VENDOR "Zorbel developers")
set(CPACK_PACKAGE_CONTACT "Zorbel developers <dev@zorbel.com.ar>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTTP bridge between point-of-sale software and fiscal controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorbel takes one fiscal command per HTTP POST, as a JSON or XML document,\n"
    "sends it to the fiscal controller over its serial line with the packet\n"
    "protocol's acknowledge, retry and busy handshake, and answers with the\n"
    "controller's fields and status words in the same format.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${zorbel_deb}/conffiles ${zorbel_deb}/postinst ${zorbel_deb}/prerm ${zorbel_deb}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
