
if(KORRIN_BUILD_GUI)
  add_test(NAME window_on_xvfb
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/app/xvfb_window.sh $<TARGET_FILE:korrin-patcher>
            ${KORRIN_TEST_DATA}/catalogues/three)
  set_tests_properties(window_on_xvfb PROPERTIES LABELS gui SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
