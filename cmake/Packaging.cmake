# Installation, the Debian package and the tools that draw the README's pictures.
#
#   cmake --install build --prefix P     programs, desktop entry, icons, AppStream metainfo
#   cpack --config build/CPackConfig.cmake -G DEB -B build
#                                         glimmerix_<version>_amd64.deb
#   -DGLIMMERIX_DOCS=ON                   also builds the tools under docs/ (see docs/generate.sh)

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

install(FILES "${GLIMMERIX_PACKAGING_DIR}/${GLIMMERIX_APP_ID}.desktop"
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
include(CPack)

# The programs under docs/ that make the README's pictures from the real effects code.
option(GLIMMERIX_DOCS "Build the tools that draw the README's pictures (docs/)" OFF)
if(GLIMMERIX_DOCS)
    add_subdirectory(docs)
endif()
