# The game as Windows players get it: zarvy.exe with the fighter as its
# icon, stripped, with no link time stamp. scripts/build-windows.sh packs it
# into the zip with the images and the licences.
enable_language(RC)

file(GLOB ZARVY_ICON_PNGS ${CMAKE_SOURCE_DIR}/packaging/icons/zarvy-*.png)
set(ZARVY_ICO ${CMAKE_BINARY_DIR}/zarvy.ico)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${ZARVY_ICO}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make-ico.py ${ZARVY_ICO} ${ZARVY_ICON_PNGS}
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-ico.py ${ZARVY_ICON_PNGS}
    COMMENT "Packing the fighter icons into zarvy.ico")
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/zarvy.rc.in ${CMAKE_BINARY_DIR}/zarvy.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/zarvy.rc PROPERTIES OBJECT_DEPENDS ${ZARVY_ICO})
target_sources(zarvy PRIVATE ${CMAKE_BINARY_DIR}/zarvy.rc)
# A console program, as on Linux: the console shows the game's lines.
target_link_options(zarvy PRIVATE -mconsole -s)
set_target_properties(zarvy PROPERTIES OUTPUT_NAME zarvy)
