# A Debian package of the installed layout, made from the build tree with
#   cpack -G DEB
# Its dependencies are worked out from the programs' libraries by
# dpkg-shlibdeps (Debian package dpkg-dev). The package installs under /usr.

set(CPACK_PACKAGE_NAME FennexAVConverter)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "FennexAVConverter developers")
set(CPACK_PACKAGE_CONTACT "FennexAVConverter developers <maintainers@fennexavconverter.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rotate batches of videos without re-encoding them")
set(CPACK_PACKAGE_DESCRIPTION
    "A window, and the command-line program fennex-rotate, that turn whole batches of videos by 90, 180 or 270 degrees clockwise. The new copies carry the input's video and audio packets byte for byte; only the display rotation changes. The inputs are never changed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

# Debian package names are lower case; the file keeps the program's name.
execute_process(COMMAND dpkg --print-architecture
                OUTPUT_VARIABLE FENNEX_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
if(NOT FENNEX_DEB_ARCH)
    set(FENNEX_DEB_ARCH amd64)
endif()
set(CPACK_DEBIAN_PACKAGE_NAME fennexavconverter)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${FENNEX_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME "FennexAVConverter_${PROJECT_VERSION}_${FENNEX_DEB_ARCH}.deb")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese texts need a CJK font; folders and the help open
# through xdg-open; Qt's own dialogs (the file choosers) speak the window's
# language with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-wqy-microhei | fonts-noto-cjk, xdg-utils, qt6-translations-l10n")

include(CPack)
