# The benchmark target's generator and, as details, in-process timings of the search; the
# headline figures come from bench/whole_process.sh, which times whole processes.
if(benchmark_FOUND)
  add_executable(apply_bench ${CMAKE_CURRENT_LIST_DIR}/apply_bench.cpp)
  target_link_libraries(apply_bench PRIVATE korrin_core benchmark::benchmark)
endif()
