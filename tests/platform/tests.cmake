korrin_gui_test(sckhttp_test platform/sckhttp_test.cpp)
