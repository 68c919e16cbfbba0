# Reading a large database's whole schema through the engine (reader
# process included), timed beside mdb-schema on the same file, and the
# reader alone confined and unconfined (its test build).
add_executable(jet_schema_bench ${CMAKE_CURRENT_SOURCE_DIR}/jet_schema_bench.cpp)
target_include_directories(jet_schema_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(jet_schema_bench PRIVATE SPECLORE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(jet_schema_bench PRIVATE speclore_jet)
target_compile_definitions(jet_schema_bench PRIVATE
  SPECLORE_READER_PROBE="$<TARGET_FILE:speclore-mdb-reader-probe>")
add_dependencies(jet_schema_bench speclore-mdb-reader speclore-mdb-reader-probe)

# Opening each password-protected Access-made database beside an
# unencrypted one of similar size, reader process included.
add_executable(encrypted_open_bench ${CMAKE_CURRENT_SOURCE_DIR}/encrypted_open_bench.cpp)
target_include_directories(encrypted_open_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(encrypted_open_bench PRIVATE SPECLORE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(encrypted_open_bench PRIVATE speclore_jet speclore_jetcrypt)
add_dependencies(encrypted_open_bench speclore-mdb-reader)
