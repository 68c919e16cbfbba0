# The whole catalog of a large database, timed against mdb-schema on the
# same file. Default database: ../shared/fixtures/big.mdb beside the
# repository; another can be given on the command line.
add_executable(bench_catalog ${CMAKE_CURRENT_LIST_DIR}/catalog_run.cpp)
target_compile_definitions(bench_catalog PRIVATE
  SPECLORE_DEFAULT_BENCH_DATABASE="${PROJECT_SOURCE_DIR}/../shared/fixtures/big.mdb")
add_dependencies(bench_catalog speclore-cli)
