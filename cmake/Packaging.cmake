# cmake --install lays out the program; `--target package` makes the release:
# a .deb and a .tar.gz of the Linux build, a .zip of the exes with a read-me for Windows players.
include(GNUInstallDirs)
set(desktop_id org.vornhaskel.vornhaskel)
set(resources "${PROJECT_SOURCE_DIR}/resources")

# The repair tool ships beside the program in every package.
set(programs vornhaskel vornhaskel-repair)

if(WIN32)
    # The launcher is the way in: it starts either program from beside it, in the game folder.
    install(TARGETS ${programs} vornhaskel-launch RUNTIME DESTINATION .)
    # CRLF: Notepad before Windows 10 1809 shows a text with bare LFs as one line.
    configure_file("${resources}/README-windows.txt" "${CMAKE_CURRENT_BINARY_DIR}/README.txt" @ONLY NEWLINE_STYLE CRLF)
    install(FILES "${CMAKE_CURRENT_BINARY_DIR}/README.txt" DESTINATION .)
    install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "vornhaskel-1.00-windows")
else()
    install(TARGETS ${programs} vornhaskel-launch RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
    # Debian policy wants the licence as /usr/share/doc/PACKAGE/copyright.
    file(READ "${PROJECT_SOURCE_DIR}/LICENSE" license_text)
    string(STRIP "${license_text}" license_text)
    string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
    string(REPLACE "\n" "\n " license_text " ${license_text}")
    file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/copyright"
         "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
         "Upstream-Name: vornhaskel\n\nFiles: *\nCopyright: 2026 vornhaskel contributors\nLicense: MIT\n${license_text}\n")
    install(FILES "${CMAKE_CURRENT_BINARY_DIR}/copyright" "${resources}/portable/README.txt"
            DESTINATION "${CMAKE_INSTALL_DOCDIR}")
    # The desktop metadata with every language merged in; the companions' catalogs at ../share/locale
    # from bin/, where they look first, so that the unpacked .tar.gz finds them too.
    install(FILES "${VORNHASKEL_DESKTOP_ENTRY}" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    install(FILES "${VORNHASKEL_METAINFO}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
    foreach(lang IN LISTS VORNHASKEL_LANGUAGES)
        install(FILES "${VORNHASKEL_BUILD_LOCALE_DIR}/${lang}/LC_MESSAGES/vornhaskel.mo"
                DESTINATION "${CMAKE_INSTALL_LOCALEDIR}/${lang}/LC_MESSAGES")
    endforeach()
    foreach(size 16 32 48)
        install(FILES "${VORNHASKEL_ICON_DIR}/icon-${size}.png"
                DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME vornhaskel.png)
    endforeach()
    # The .deb for Debian and its kin; a .tar.gz, with bin/, share/ and a read-me,
    # for the distributions that cannot take a .deb.
    set(CPACK_GENERATOR DEB TGZ)
    set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/PackagingPerGenerator.cmake")
    set(CPACK_VORNHASKEL_PORTABLE_README "${resources}/portable")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[vornhaskel renames the 28 music files of a game folder so that the game
plays either its own music or the music of a mod. It only renames: it never
reads, writes, copies or deletes a file, and a rename never replaces an
existing file. If a rename fails, it stops there and names the file and the
cause. Start it from the desktop menu: it finds the game where Steam,
Heroic, Lutris or Wine installed it, or asks for the game folder; or hand
it the folder. Before its window opens it works out what each button
would do there, and where a click would stop part way it offers the
repair tool, vornhaskel-repair, which puts the mod's files in place and
finishes or reverses a switch that stopped part way.]=])
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
