# cmake --install lays out the program; `--target package` makes the release:
# a .deb of the Linux build, a .zip of the exe with a read-me for Windows players.
include(GNUInstallDirs)
set(desktop_id org.vornhaskel.vornhaskel)
set(resources "${PROJECT_SOURCE_DIR}/resources")

if(WIN32)
    install(TARGETS vornhaskel RUNTIME DESTINATION .)
    install(FILES "${resources}/README-windows.txt" DESTINATION . RENAME README.txt)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "vornhaskel-1.00-windows")
else()
    install(TARGETS vornhaskel RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    install(FILES "${resources}/${desktop_id}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    install(FILES "${resources}/${desktop_id}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
    foreach(size 16 32 48)
        install(FILES "${VORNHASKEL_ICON_DIR}/icon-${size}.png"
                DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME vornhaskel.png)
    endforeach()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SECTION games)
    set(CPACK_STRIP_FILES ON)  # the exe is stripped when linked; strip would stamp a time into it
endif()

set(CPACK_PACKAGE_NAME vornhaskel)
set(CPACK_PACKAGE_VENDOR "vornhaskel contributors")
set(CPACK_PACKAGE_CONTACT "vornhaskel contributors")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
include(CPack)
