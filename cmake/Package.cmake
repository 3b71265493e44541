# The Debian package, built by scripts/package.sh with `cpack -G DEB`. Its
# dependencies come from dpkg-shlibdeps; the file triggers of
# shared-mime-info, desktop-file-utils and the icon caches register the MIME
# type, the menu entry and the icon, so the package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvo)
set(CPACK_PACKAGE_VENDOR Zelvo)
set(CPACK_PACKAGE_CONTACT "Zelvo maintainers <maintainers@zelvo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SoundFont to Yamaha EX5/EX7 wave converter")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelvo opens SoundFont banks (.sf2 and .sf3), shows their presets, instruments and samples, and saves an instrument with its key map and samples as a wave file (.s1m) that the Yamaha EX5 and EX7 synthesizers load. zelvo-cli does the same from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
