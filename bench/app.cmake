# Reading and writing the 41 item names one value at a time, as the catalog
# run and the item names dialog do, against plain whole-file reads and synced
# writes of the same file in the same run.
add_executable(bench_settings ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp)
target_link_libraries(bench_settings PRIVATE speclore_app)
target_compile_definitions(bench_settings PRIVATE
  SPECLORE_DEFAULT_SETTINGS_FILE="${PROJECT_SOURCE_DIR}/resources/Speclore.ini")
