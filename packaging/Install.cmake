# Installed layout (cmake --install build --prefix ~/.local, or the Debian package):
#   bin/Varilume
#   share/varilume/        Template.mdb, files/ (sample stars), Documentation/ (manual)
#   share/applications/    desktop entry
#   share/icons/hicolor/   scalable SVG and PNG sizes
#   share/metainfo/        AppStream metainfo
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
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${VARILUME_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
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
set(CPACK_PACKAGE_CONTACT "The Varilume team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Find the period of a variable star by phase plotting")
set(CPACK_PACKAGE_DESCRIPTION "Varilume loads the brightness measurements of one variable \
star (an ORBIS archive file or a plain file of Julian Date and magnitude), shows its light \
curve and folds it at a trial period that the observer steps until the points line up.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
