korrin_core_test(journal_test
  journal/journal_test.cpp
  journal/undo_test.cpp
)
target_include_directories(journal_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/patch)
