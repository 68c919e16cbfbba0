# The whole catalog of big.mdb and of the 1,500-table large/t1500x40.mdb.xz
# through speclore-cli, timed against mdb-schema on the same files, and
# big.mdb written as .xlsx against the same run as .xls. Default
# fixtures folder: ../shared/fixtures beside the repository; another can be
# given on the command line.
add_executable(bench_catalog ${CMAKE_CURRENT_LIST_DIR}/catalog_run.cpp ${CMAKE_CURRENT_LIST_DIR}/TracedRun.cpp)
target_include_directories(bench_catalog PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(bench_catalog PRIVATE speclore_jet)
target_compile_definitions(bench_catalog PRIVATE
  SPECLORE_DEFAULT_FIXTURES="${PROJECT_SOURCE_DIR}/../shared/fixtures")
add_dependencies(bench_catalog speclore-cli speclore-mdb-reader)
