# Apply on a generated 256 MiB target beside cp + sync; run through scripts/bench-apply.sh.
if(benchmark_FOUND)
  add_executable(apply_bench ${CMAKE_CURRENT_LIST_DIR}/apply_bench.cpp)
  target_link_libraries(apply_bench PRIVATE korrin_core benchmark::benchmark)
endif()
