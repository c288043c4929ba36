# What `make install` puts in place besides the window program, the desktop
# file and the icons (installed beside their targets): the converter, the
# AppStream data and the manual pages.
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
