# Writing a large catalog into Template.xls with the workbook engine, timed
# against python3-xlwt writing the same cells in the same run.
add_executable(bench_xls ${CMAKE_CURRENT_LIST_DIR}/xls_write_bench.cpp)
target_include_directories(bench_xls PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(bench_xls PRIVATE speclore_xls speclore_catalog)
target_compile_definitions(bench_xls PRIVATE
  SPECLORE_BENCH_TEMPLATE="${PROJECT_SOURCE_DIR}/resources/Template.xls"
  SPECLORE_BENCH_XLWT_REFERENCE="${CMAKE_CURRENT_LIST_DIR}/xlwt_reference.py")
