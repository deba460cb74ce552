korrin_core_test(window_model_test window/window_model_test.cpp)
target_include_directories(window_model_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../patch)
