# What `make install` puts in place besides the window program, the desktop
# file and the icons (installed beside their targets): the converter, the
# AppStream data and the manual pages; and the Debian package `make package`
# builds from the same rules.
include(GNUInstallDirs)

install(TARGETS png2ico RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/org.example.trevalo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages carry the version and are installed compressed, as Debian
# keeps them; -n leaves the name and time out, so the bytes are the same on
# every build.
set(MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(man_pages)
foreach(page trevalo png2ico)
  configure_file(${CMAKE_SOURCE_DIR}/resources/man/${page}.1 ${MAN_DIR}/${page}.1 @ONLY)
  add_custom_command(
    OUTPUT ${MAN_DIR}/${page}.1.gz
    COMMAND gzip -9 -n -k -f ${MAN_DIR}/${page}.1
    DEPENDS ${MAN_DIR}/${page}.1
    VERBATIM)
  list(APPEND man_pages ${MAN_DIR}/${page}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package: everything above under /usr. Shared libraries come from
# shlibdeps (dpkg-shlibdeps reads what the binaries link); what no binary
# links is named here: Qt's Chinese texts and a CJK font for the window.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trevalo)
set(CPACK_PACKAGE_VENDOR "The Trevalo Project")
set(CPACK_PACKAGE_CONTACT "The Trevalo Project <trevalo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "icon tool: pictures to icons, icons out of executables")
set(CPACK_PACKAGE_DESCRIPTION
  "Trevalo converts every BMP or PNG picture of a folder into Windows icon files \
and saves the icons of Windows executables as icon files. Its window speaks \
Simplified Chinese. The console converter png2ico turns the PNG pictures of a \
whole folder tree into icons with one image per requested size.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://trevalo.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
