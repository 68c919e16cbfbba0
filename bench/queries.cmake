# The query sheet of a database with 2,000 saved queries through
# speclore-cli, timed against mdb-queries on the same file. The database is
# kept compressed beside this file (bench/data, made by
# bench/tools/MakeQueryBench.java); another can be given on the command line.
add_executable(bench_queries ${CMAKE_CURRENT_LIST_DIR}/query_sheet_run.cpp)
target_include_directories(bench_queries PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(bench_queries PRIVATE
  SPECLORE_DEFAULT_QUERY_DATABASE="${CMAKE_CURRENT_LIST_DIR}/data/queries2000.mdb.xz")
add_dependencies(bench_queries speclore-cli)
