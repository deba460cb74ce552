korrin_gui_test(frmpatcher_test qt/frmpatcher_test.cpp)
korrin_gui_test(sckhttp_test qt/sckhttp_test.cpp)
