korrin_core_test(common_test common/text_test.cpp common/number_test.cpp common/latin1_test.cpp)
