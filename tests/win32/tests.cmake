# The Windows window's contract, read back from the running window under Wine in Xvfb by a
# probe in the same prefix. What the window does is tested on the model.
if(WIN32)
  add_executable(window_probe ${CMAKE_CURRENT_LIST_DIR}/window_probe.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/../../src/win32/wide.cpp)
  target_link_libraries(window_probe PRIVATE korrin_core)
  add_test(NAME window_contract_under_wine
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window_contract.sh $<TARGET_FILE:korrin-patcher>
            $<TARGET_FILE:window_probe> ${CMAKE_CURRENT_LIST_DIR}/../data
            ${CMAKE_BINARY_DIR}/wine-prefix-window)
  set_tests_properties(window_contract_under_wine PROPERTIES
    LABELS "gui;net" SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
