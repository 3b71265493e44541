# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built by scripts/package.sh with `cpack -G DEB`. Its
# dependencies come from dpkg-shlibdeps; the file triggers of
# shared-mime-info, desktop-file-utils and the icon caches register the MIME
# type, the menu entry and the icon, so the package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvo)
set(CPACK_PACKAGE_VENDOR "the Zelvo developers")
set(CPACK_PACKAGE_CONTACT "Zelvo maintainers <maintainers@zelvo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SoundFont to Yamaha EX5/EX7 wave converter")
# The extended text, under the summary; lines of at most 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[Zelvo opens SoundFont banks (.sf2, and .sf3 with Ogg Vorbis samples), shows
their presets, instruments and samples in a tree with the records behind each
node, and saves an instrument or a whole preset, with its key map and
samples, as a wave file (.s1m) that the Yamaha EX5 and EX7 synthesizers load.
Samples are converted to the 44.1 kHz the synthesizer plays, loops are kept
seamless, and a conversion report says what the wave cannot hold.
.
The command-line companion zelvo-cli does the same in scripts and can check
an exported wave file against its format.]])
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm | timgm6mb-soundfont")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# /usr/share/doc/zelvo: the copyright, the upstream changes (NEWS) and the
# package's own changelog, compressed as Debian policy asks.
set(ZELVO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zelvo)
string(TIMESTAMP ZELVO_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.Debian.in ${PROJECT_BINARY_DIR}/changelog.Debian @ONLY)
find_program(GZIP gzip REQUIRED)
set(changelogs)
foreach(pair "${PROJECT_SOURCE_DIR}/NEWS|changelog" "${PROJECT_BINARY_DIR}/changelog.Debian|changelog.Debian")
  string(REPLACE "|" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/${name}.gz
    COMMAND ${GZIP} -9nc ${source} > ${PROJECT_BINARY_DIR}/doc/${name}.gz
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  list(APPEND changelogs ${PROJECT_BINARY_DIR}/doc/${name}.gz)
endforeach()
add_custom_target(zelvo_changelogs ALL DEPENDS ${changelogs})
install(FILES ${changelogs} DESTINATION ${ZELVO_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${ZELVO_DOC_DIR})
# The manual in the documentation index, and the one lintian tag that does
# not apply to a package made outside Debian, with the reason.
if(ZELVO_MANUAL)
  install(FILES ${PROJECT_SOURCE_DIR}/data/zelvo.doc-base RENAME zelvo
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/zelvo.lintian-overrides RENAME zelvo
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

# Stripped binaries keep .comment and .note, which Debian's strip removes too.
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program zelvo zelvo-cli)
      set(file "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/${program}")
      if(EXISTS "${file}")
        execute_process(COMMAND strip --remove-section=.comment --remove-section=.note "${file}"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()
    endforeach()
  endif()
]])
include(CPack)
