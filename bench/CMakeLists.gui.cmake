# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks of the desktop program; bench/CMakeLists.txt includes this file
# when the GUI is built.
find_package(benchmark REQUIRED)
if(NOT ZELVO_SOUNDFONT_DIR)
  set(ZELVO_SOUNDFONT_DIR "/usr/share/sounds/sf2")
endif()

add_executable(gui_open_bench ${CMAKE_CURRENT_LIST_DIR}/gui_open_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp)
target_include_directories(gui_open_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(gui_open_bench PRIVATE zelvo_app benchmark::benchmark)
target_compile_definitions(gui_open_bench PRIVATE ZELVO_SOUNDFONT_DIR="${ZELVO_SOUNDFONT_DIR}")

add_executable(preview_bench ${CMAKE_CURRENT_LIST_DIR}/preview_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp)
target_link_libraries(preview_bench PRIVATE zelvo_app benchmark::benchmark)
target_compile_definitions(preview_bench PRIVATE ZELVO_SOUNDFONT_DIR="${ZELVO_SOUNDFONT_DIR}")

add_executable(bank_view_bench ${CMAKE_CURRENT_LIST_DIR}/bank_view_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp)
target_link_libraries(bank_view_bench PRIVATE zelvo_app benchmark::benchmark)
target_compile_definitions(bank_view_bench PRIVATE ZELVO_SOUNDFONT_DIR="${ZELVO_SOUNDFONT_DIR}")
