# SPDX-License-Identifier: GPL-3.0-or-later
# The HTML manual that Help > Contents opens. It is installed with the
# package's documentation (/usr/share/doc/zelvo/manual), and the program finds
# it by its path relative to the program's own folder, so that an installed
# tree can move. Build trees get a copy at the
# same relative place beside each program that looks for it.
set(ZELVO_MANUAL_SOURCE_DIR ${PROJECT_SOURCE_DIR}/doc/manual)
set(ZELVO_MANUAL_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/zelvo/manual)
file(RELATIVE_PATH ZELVO_MANUAL_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/doc/zelvo/manual/index.html)

# Copies the manual where target, built in the calling folder, looks for it.
function(zelvo_stage_manual target)
  if(NOT ZELVO_MANUAL)
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ZELVO_MANUAL_SOURCE_DIR}/*)
  cmake_path(GET ZELVO_MANUAL_FROM_BINDIR PARENT_PATH relative_dir)
  cmake_path(APPEND CMAKE_CURRENT_BINARY_DIR ${relative_dir} OUTPUT_VARIABLE stage_dir)
  cmake_path(NORMAL_PATH stage_dir)
  set(staged)
  foreach(source IN LISTS sources)
    cmake_path(GET source FILENAME name)
    add_custom_command(OUTPUT ${stage_dir}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${stage_dir}/${name}
      DEPENDS ${source}
      COMMENT "Staging the manual's ${name} for ${target}")
    list(APPEND staged ${stage_dir}/${name})
  endforeach()
  add_custom_target(${target}_manual DEPENDS ${staged})
  add_dependencies(${target} ${target}_manual)
endfunction()
