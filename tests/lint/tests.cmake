korrin_core_test(lint_test lint/lint_test.cpp)
