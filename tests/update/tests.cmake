korrin_core_test(update_test
  update/request_test.cpp
  update/reception_test.cpp
  update/script_test.cpp
)
