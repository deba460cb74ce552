korrin_core_test(update_test
  update/request_test.cpp
  update/reception_test.cpp
  update/script_test.cpp
)
korrin_gui_test(update_e2e_test update/update_e2e_test.cpp IN_NETNS)
korrin_gui_test(update_hostile_test update/update_hostile_test.cpp IN_NETNS)
