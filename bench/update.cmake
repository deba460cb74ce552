if(benchmark_FOUND)
  add_executable(update_bench ${CMAKE_CURRENT_LIST_DIR}/update_bench.cpp)
  target_link_libraries(update_bench PRIVATE korrin_core benchmark::benchmark benchmark::benchmark_main)
endif()
