korrin_gui_test(window_test app/window_test.cpp)
