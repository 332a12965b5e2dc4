# Installation and the Debian package.
#
#   cmake --install build --prefix P     programs, desktop entry, icons, AppStream metainfo
#   cpack --config build/CPackConfig.cmake -G DEB -B build
#                                         glimmerix_<version>_amd64.deb: the same files
#                                         under /usr, and the Debian copyright file

include(GNUInstallDirs)

# The reverse-domain name under which the desktop shell knows the editor. main.cpp gives
# the same name to QGuiApplication::setDesktopFileName, so that the shell matches the
# editor's window to its desktop entry.
set(GLIMMERIX_APP_ID "org.glimmerix.Glimmerix")
set(GLIMMERIX_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")

# The five programs. Only the editor gets a desktop entry: the form programs are
# examples to start from a terminal.
install(TARGETS glimmerix blankmain bmpshow blankform agebox
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
)

# The desktop entry is made from its template at every build: its MimeType line lists
# the image types the editor can open, as QImageReader reports them with the image
# plugins installed on the build machine (packaging/desktopentry.cpp, which also leaves
# out what the shared MIME database does not know as an image type).
# `build/packaging/glimmerix_desktopentry` alone prints the list.
add_executable(glimmerix_desktopentry "${GLIMMERIX_PACKAGING_DIR}/desktopentry.cpp")
target_link_libraries(glimmerix_desktopentry PRIVATE Qt6::Gui)
set_target_properties(glimmerix_desktopentry PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/packaging"
)
set(GLIMMERIX_DESKTOP_ENTRY "${PROJECT_BINARY_DIR}/packaging/${GLIMMERIX_APP_ID}.desktop")
add_custom_target(glimmerix_desktop_entry ALL
    COMMAND glimmerix_desktopentry
        "${GLIMMERIX_PACKAGING_DIR}/${GLIMMERIX_APP_ID}.desktop.in" "${GLIMMERIX_DESKTOP_ENTRY}"
    BYPRODUCTS "${GLIMMERIX_DESKTOP_ENTRY}"
    COMMENT "Writing ${GLIMMERIX_APP_ID}.desktop with the image types Qt can read"
    VERBATIM
)
install(FILES "${GLIMMERIX_DESKTOP_ENTRY}"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
)
install(FILES "${GLIMMERIX_PACKAGING_DIR}/${GLIMMERIX_APP_ID}.metainfo.xml"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
)

# The icon in the hicolor theme: the drawing itself, and the same drawing rendered at
# the usual sizes (docs/generate.sh renders them from the SVG).
install(FILES "${GLIMMERIX_PACKAGING_DIR}/icons/glimmerix.svg"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME "${GLIMMERIX_APP_ID}.svg"
)
foreach(size 16 32 48 64 128 256)
    install(FILES "${GLIMMERIX_PACKAGING_DIR}/icons/glimmerix-${size}.png"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME "${GLIMMERIX_APP_ID}.png"
    )
endforeach()

# The Debian package. Its file name is glimmerix_<version>_amd64.deb; the libraries the
# programs link come from dpkg-shlibdeps (package dpkg-dev), and the image-format
# plugins, which nothing links, are named here.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "glimmerix")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Glimmerix developers")
set(CPACK_PACKAGE_CONTACT "Glimmerix developers <glimmerix@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small Qt 6 image editor with exact whole-picture effects")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Glimmerix opens one picture, applies whole-image effects to it one after\n"
    "another and saves the result: zoom about the centre, resampling, rotation,\n"
    "Gaussian blur, median filter, sharpening, waves, gray-world colour balance,\n"
    "linear and per-channel contrast stretch. Every effect is computed exactly.\n"
    "\n"
    "Four small Qt form programs come with it: blankmain, bmpshow, blankform and\n"
    "agebox.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")

# The package's copyright file, /usr/share/doc/glimmerix/copyright, in Debian's
# machine-readable format. It belongs to the package alone: its install rule is in a
# component of its own that a plain `cmake --install` leaves out, and CPack installs
# that component after everything else.
install(FILES "${GLIMMERIX_PACKAGING_DIR}/debian/copyright"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME}
    COMPONENT debian
    EXCLUDE_FROM_ALL
)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/"
)
include(CPack)
