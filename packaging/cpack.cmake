# The Debian package: scripts/package runs cpack with it into dist/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zagruzchik)
set(CPACK_PACKAGE_VENDOR "Zagruzchik developers")
set(CPACK_PACKAGE_CONTACT "Zagruzchik developers <zagruzchik@users.noreply.github.com>")
set(CPACK_PACKAGE_VERSION ${LOADER_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware loader for a serial boot loader (Intel HEX)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Загрузчик converts an Intel HEX file into a flat binary image and\n"
       "streams it into the target's boot loader over a 10400 bit/s echoing\n"
       "serial line, with a progress bar. Command-line companions:\n"
       "zagruzchik-flash, zagruzchik-h2b, zagruzchik-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Libraries found from the programs themselves; Qt's Russian texts named, being no library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
# The udev rule takes effect at once, and goes at once.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
