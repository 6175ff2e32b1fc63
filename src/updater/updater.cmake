# The updater program is built here and carried inside Tessivar.exe.
add_executable(update WIN32 src/updater/UpdaterMain.cpp src/updater/UpdaterWords.cpp)
target_include_directories(update PRIVATE src)
target_compile_options(update PRIVATE -Wall -Wextra -municode)
target_link_options(update PRIVATE -municode -static -static-libgcc -static-libstdc++ -s)
target_link_libraries(update PRIVATE wininet user32 gdi32)
set_target_properties(update PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/updater)
set(TESSIVAR_UPDATER_EXE ${CMAKE_BINARY_DIR}/updater/update.exe)
add_custom_target(updater_bytes)
add_dependencies(updater_bytes update)
# The resource compiler does not see the file it embeds: rebuild on change.
set_source_files_properties(src/app/res/Tessivar.rc PROPERTIES OBJECT_DEPENDS ${TESSIVAR_UPDATER_EXE})
