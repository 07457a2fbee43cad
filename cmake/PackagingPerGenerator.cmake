# Read by cpack for each generator. The .tar.gz is laid out from its own root
# (bin/, share/) and carries a read-me; the .deb installs under /usr.
if(CPACK_GENERATOR STREQUAL "TGZ")
    set(CPACK_PACKAGING_INSTALL_PREFIX "/")
    set(CPACK_INSTALLED_DIRECTORIES "${CPACK_VORNHASKEL_PORTABLE_README};.")
    set(CPACK_PACKAGE_FILE_NAME "vornhaskel-${CPACK_PACKAGE_VERSION}-linux-x86_64")
endif()
