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

# The copyright in Debian's machine-readable format and the changelog,
# compressed as Debian keeps a native package's changelog.
set(DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/trevalo)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/resources/debian/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/debian/changelog)
add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${DOC_DIR})

# The package: everything above under /usr. Shared libraries come from
# shlibdeps (dpkg-shlibdeps reads what the binaries link); what no binary
# links is named here: Qt's Chinese texts and a CJK font for the window, and
# libimagequant, which the programs open only when making a palette.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trevalo)
set(CPACK_PACKAGE_VENDOR "The Trevalo Project")
set(CPACK_PACKAGE_CONTACT "The Trevalo Project <trevalo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "icon tool: pictures to icons, icons out of executables")
# The long description below the summary, in lines of at most 80
# characters as Debian wants them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Trevalo converts every BMP or PNG picture of a folder into Windows icon
files, and saves the icon of a Windows executable, or of every executable
of a folder, as an icon file beside it, with a preview. Its window speaks
Simplified Chinese.
.
The console converter png2ico turns the PNG pictures of a whole folder
tree into icons with one image per requested size (16 to 256 pixels, 4 to
32 bits per pixel, alpha kept), in an output tree that mirrors the input.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libimagequant0 (>= 2.17.0), qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
# Native Wayland needs Qt's wayland plugin; without it the window still
# shows on a Wayland desktop through XWayland, so it is recommended, not
# required.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# Reproducible: the same commit gives the same bytes (see the script).
set(CPACK_TREVALO_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/ReproducibleDeb.cmake)
include(CPack)
