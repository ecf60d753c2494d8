# The Debian package: `cmake --workflow --preset package` writes orvane_VERSION-RELEASE_ARCH.deb
# into the build folder, with what the install rules put under /usr and the package's own papers.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(ORVANE_PACKAGE_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/changelog.Debian
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES README.md ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${ORVANE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "The Orvane developers")
set(CPACK_PACKAGE_CONTACT "The Orvane developers <developers@orvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ray tracer of spheres, cylinders, planes and point lights")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane reads a plain-text scene of spheres, open cylinders, infinite planes and
coloured point lights, renders it with a fixed pinhole camera (shadows, diffuse
shading, white specular highlights, mirror reflections and PCX textures) and
writes a PNG or an uncompressed Targa picture. It checks scene files too,
naming each mistake's line and column.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the program links, as dpkg-shlibdeps finds them in the binary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
