# Reading a large database's whole schema through the engine (reader
# process included), timed beside mdb-schema on the same file.
add_executable(jet_schema_bench ${CMAKE_CURRENT_SOURCE_DIR}/jet_schema_bench.cpp)
target_include_directories(jet_schema_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(jet_schema_bench PRIVATE SPECLORE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(jet_schema_bench PRIVATE speclore_jet)
add_dependencies(jet_schema_bench speclore-mdb-reader)
