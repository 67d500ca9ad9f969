# Installed layout (cmake --install build --prefix ~/.local, or the Debian package):
#   bin/Varilume
#   share/varilume/        Template.mdb, files/ (sample stars), Documentation/ (manual)
#   share/applications/    desktop entry
#   share/icons/hicolor/   scalable SVG and PNG sizes
#   share/metainfo/        AppStream metainfo
#   share/man/man1/        the manual page (from packaging/Varilume.1.in)
#   share/doc/varilume/    copyright (GPL-3.0-or-later), changelog
# The installed program cannot write beside its executable; at first start it
# makes a per-user program folder seeded from share/varilume.
include(GNUInstallDirs)

set(VARILUME_APP_ID org.varilume.Varilume)
set(VARILUME_DATA_SUBDIR ${CMAKE_INSTALL_DATADIR}/varilume)
file(RELATIVE_PATH data_from_bin /${CMAKE_INSTALL_BINDIR} /${VARILUME_DATA_SUBDIR})
target_compile_definitions(Varilume PRIVATE VARILUME_DATA_FROM_BIN="${data_from_bin}")

install(TARGETS Varilume RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VARILUME_BIN_DIR}/Template.mdb DESTINATION ${VARILUME_DATA_SUBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/ DESTINATION ${VARILUME_DATA_SUBDIR}/files)
install(FILES ${CMAKE_SOURCE_DIR}/docs/Documentation.html
        DESTINATION ${VARILUME_DATA_SUBDIR}/Documentation)
install(DIRECTORY ${VARILUME_IMAGE_DIR} DESTINATION ${VARILUME_DATA_SUBDIR}/Documentation)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/${VARILUME_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Where the project's web pages and the metainfo's screenshots (docs/images) are
# published, and who answers for the package.
set(VARILUME_HOMEPAGE "https://varilume.org" CACHE STRING "The project's web address")
set(VARILUME_MAINTAINER "The Varilume team <team@varilume.org>" CACHE STRING
    "Name and e-mail address of the package's maintainer")
set(VARILUME_METAINFO ${CMAKE_BINARY_DIR}/packaging/${VARILUME_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${VARILUME_APP_ID}.metainfo.xml.in
               ${VARILUME_METAINFO} @ONLY)
install(FILES ${VARILUME_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The licence, the changelog and the manual page, where Debian looks for them
# (compressed as its policy wants: gzip -9n).
set(VARILUME_DOC_SUBDIR ${CMAKE_INSTALL_DATADIR}/doc/varilume)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog
               @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/Varilume.1.in ${CMAKE_BINARY_DIR}/packaging/Varilume.1
               @ONLY)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_BINARY_DIR}/packaging/Varilume.1.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/changelog
            ${CMAKE_BINARY_DIR}/packaging/Varilume.1
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/Varilume.1
    COMMENT "Compressing the changelog and the manual page")
add_custom_target(package_docs ALL
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_BINARY_DIR}/packaging/Varilume.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/Varilume.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${VARILUME_DOC_SUBDIR})
install(FILES ${VARILUME_ICON_DIR}/varilume.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VARILUME_APP_ID}.svg)
foreach(size ${VARILUME_ICON_SIZES})
    install(FILES ${VARILUME_ICON_DIR}/varilume-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VARILUME_APP_ID}.png)
endforeach()

# cpack -G DEB: the library dependencies come from dpkg-shlibdeps (package
# dpkg-dev); the Qt platform plugins are loaded at run time, so they are named.
set(CPACK_PACKAGE_NAME varilume)
set(CPACK_PACKAGE_VENDOR "The Varilume team")
set(CPACK_PACKAGE_CONTACT "${VARILUME_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find the period of a variable star")
# Lines of the long description under 80 characters, as Debian wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Varilume loads the brightness measurements of one variable star (an ORBIS"
    "archive file or a plain file of Julian Date, magnitude and uncertainty),"
    "shows its light curve and folds it at a trial period that the observer"
    "steps until the points line up. A period search (generalised"
    "Lomb-Scargle, phase dispersion minimisation, string length) lists the"
    "candidate periods with their errors, false-alarm probabilities and alias"
    "notes; the same search runs as a batch command without a window.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VARILUME_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
