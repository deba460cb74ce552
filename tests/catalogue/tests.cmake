korrin_core_test(catalogue_test catalogue/definition_test.cpp)
korrin_core_test(lint_test catalogue/lint_test.cpp)
