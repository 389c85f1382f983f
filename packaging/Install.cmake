# Install rules and the Debian package. The tree follows the Debian games
# layout under any prefix:
#   <prefix>/games/zarvy or <prefix>/bin/zarvy    the launcher
#   <prefix>/lib/games/zarvy/zarvy                the game binary
#   <prefix>/share/games/zarvy/Textures/          the seven images
# plus the menu entry, icons, AppStream metadata, manual page and docs.
include(GNUInstallDirs)

set(ZARVY_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ZARVY_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
set(ZARVY_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/zarvy)
set(ZARVY_BINARY_DIR lib/games/zarvy)
set(ZARVY_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarvy)
set(ZARVY_APP_ID org.zarvy.zarvy)

# The no-display line is kept in one file for the launcher and make run.
file(READ ${ZARVY_PACKAGING_DIR}/no-display.txt ZARVY_NO_DISPLAY_LINE)
string(STRIP "${ZARVY_NO_DISPLAY_LINE}" ZARVY_NO_DISPLAY_LINE)
string(REPLACE "%s" "zarvy" ZARVY_NO_DISPLAY_LINE "${ZARVY_NO_DISPLAY_LINE}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZARVY_PACKAGING_DIR}/no-display.txt)

configure_file(${ZARVY_PACKAGING_DIR}/zarvy.in ${ZARVY_PACKAGING_OUT}/zarvy @ONLY)
configure_file(${ZARVY_PACKAGING_DIR}/zarvy.6.in ${ZARVY_PACKAGING_OUT}/zarvy.6 @ONLY)
configure_file(${ZARVY_PACKAGING_DIR}/${ZARVY_APP_ID}.metainfo.xml.in
               ${ZARVY_PACKAGING_OUT}/${ZARVY_APP_ID}.metainfo.xml @ONLY)
configure_file(${ZARVY_PACKAGING_DIR}/changelog ${ZARVY_PACKAGING_OUT}/changelog COPYONLY)

# Debian keeps manual pages and changelogs gzip-compressed; -n leaves the
# name and time out, so the archives are the same on every build.
set(ZARVY_COMPRESSED ${ZARVY_PACKAGING_OUT}/zarvy.6.gz ${ZARVY_PACKAGING_OUT}/changelog.gz)
add_custom_command(OUTPUT ${ZARVY_COMPRESSED}
    COMMAND gzip -9nkf zarvy.6 changelog
    WORKING_DIRECTORY ${ZARVY_PACKAGING_OUT}
    DEPENDS ${ZARVY_PACKAGING_OUT}/zarvy.6 ${ZARVY_PACKAGING_OUT}/changelog
    VERBATIM)
add_custom_target(zarvy-docs ALL DEPENDS ${ZARVY_COMPRESSED})

install(TARGETS zarvy RUNTIME DESTINATION ${ZARVY_BINARY_DIR})
install(FILES
    Textures/asteroid_v8.jpg Textures/clouds.png Textures/explosion.png Textures/fighter.png
    Textures/flame.png Textures/flameBottom.png Textures/front.png
    DESTINATION ${ZARVY_DATA_DIR}/Textures)

# The system's games go to /usr/games; under any other prefix the launcher
# goes to bin, which a user's PATH reaches (~/.local/bin). Decided when
# installing, because a package build installs under its own prefix.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(zarvy_launcher_dir games)
    else()
        set(zarvy_launcher_dir bin)
    endif()
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${zarvy_launcher_dir}\"
         TYPE PROGRAM FILES \"${ZARVY_PACKAGING_OUT}/zarvy\")
")

install(FILES ${ZARVY_PACKAGING_DIR}/zarvy.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
foreach(side 48 64 128 256)
    install(FILES ${ZARVY_PACKAGING_DIR}/icons/zarvy-${side}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${side}x${side}/apps
            RENAME zarvy.png)
endforeach()
install(FILES ${ZARVY_PACKAGING_OUT}/${ZARVY_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${ZARVY_PACKAGING_OUT}/zarvy.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${ZARVY_PACKAGING_DIR}/copyright ${ZARVY_PACKAGING_OUT}/changelog.gz DESTINATION ${ZARVY_DOC_DIR})

# The Debian package: `make package` writes build/zarvy_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvy)
set(CPACK_PACKAGE_VENDOR "The Zarvy project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D space game: steer a fighter through tumbling asteroids")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# Installing into a staging folder with the real prefix lets the launcher
# rule above see /usr.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zarvy maintainers <maintainers@zarvy.example>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Every time stamp in the package is SOURCE_DATE_EPOCH, the last commit's
# time unless the caller sets it: see SourceDateEpoch.cmake.
set(CPACK_PROJECT_CONFIG_FILE ${ZARVY_PACKAGING_DIR}/SourceDateEpoch.cmake)
set(CPACK_ZARVY_SOURCE_DIR ${CMAKE_SOURCE_DIR})
# The long description; CPack indents it for the control file and writes an
# empty line as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zarvy is a small real-time 3D space game. You steer a textured fighter
through a box of tumbling asteroids in front of a star sky and a slowly
turning clouded planet.

Hitting a rock blows it up, throws fragments out and stops the ship, which
is then immune to further hits for a moment. The space bar hands the view
to a free camera and back. The game needs an X display with OpenGL.")
include(CPack)
