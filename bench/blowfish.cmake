# Calls per second of the cipher library's exports, as the program calls them.
add_executable(bench_blowfish ${CMAKE_CURRENT_SOURCE_DIR}/blowfish_calls.cpp)
target_link_libraries(bench_blowfish PRIVATE blowfish_objects ${CMAKE_DL_LIBS})
add_dependencies(bench_blowfish _blowfish)
