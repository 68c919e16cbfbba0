# A catalog of 100,000 field rows written into Template.xlsx with the .xlsx
# engine, beside the .xls engine writing the most rows its sheet holds in
# the same run.
add_executable(bench_xlsx ${CMAKE_CURRENT_LIST_DIR}/xlsx_write_bench.cpp)
target_include_directories(bench_xlsx PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_xlsx PRIVATE speclore_xlsx speclore_xls speclore_catalog)
target_compile_definitions(bench_xlsx PRIVATE
  SPECLORE_BENCH_XLSX_TEMPLATE="${PROJECT_SOURCE_DIR}/resources/Template.xlsx"
  SPECLORE_BENCH_XLS_TEMPLATE="${PROJECT_SOURCE_DIR}/resources/Template.xls")
