# The Debian package: scripts/package runs cpack with it into dist/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zagruzchik)
set(CPACK_PACKAGE_VENDOR "Zagruzchik developers")
set(CPACK_PACKAGE_CONTACT "Zagruzchik developers <zagruzchik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware loader for a serial boot loader (Intel HEX)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Загрузчик converts an Intel HEX file into a flat binary image and streams it into the\n"
       "target's boot loader over a 10400 bit/s echoing serial line, with a progress bar.\n"
       "Command-line companions: zagruzchik-flash, zagruzchik-h2b, zagruzchik-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Libraries found from the programs themselves; Qt's Russian texts named, being no library.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
