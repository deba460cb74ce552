# Golden tests of korrin-patch: each tests/data/cli/CASE.cmd runs the real program on folders
# and targets under tests/data and compares the transcript with CASE.expected (diff -u).
# KORRIN_UPDATE_GOLDEN=1 ctest -R cli_ rewrites the expected files; review them before a commit.
if(NOT TARGET korrin-patch)
  return()
endif()
file(GLOB golden_cases CONFIGURE_DEPENDS ${KORRIN_TEST_DATA}/cli/*.cmd)
# A case named *_port_80 serves on the product's own port, in a private network namespace with
# only loopback up (label "net"; skipped where none can be had). Wine makes sockets in its
# server process, so under Wine such a case has a prefix of its own, whose server starts inside
# the namespace.
foreach(case_file ${golden_cases})
  get_filename_component(case ${case_file} NAME_WE)
  set(golden bash ${CMAKE_CURRENT_LIST_DIR}/golden.sh $<TARGET_FILE:korrin-patch> ${KORRIN_TEST_DATA}
             ${case} ${CMAKE_CROSSCOMPILING_EMULATOR})
  if(case MATCHES "_port_80$")
    add_test(NAME cli_${case} COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../support/in_netns.sh ${golden})
    set_tests_properties(cli_${case} PROPERTIES LABELS "core;net" TIMEOUT 120 SKIP_RETURN_CODE 77)
    if(CMAKE_CROSSCOMPILING)
      set_tests_properties(cli_${case} PROPERTIES
        ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix-netns)
    endif()
  else()
    add_test(NAME cli_${case} COMMAND ${golden})
    set_tests_properties(cli_${case} PROPERTIES LABELS core TIMEOUT 60)
  endif()
endforeach()

# korrin-patch's half of the table that the window's Apply runs too (tests/data/apply_table.txt).
korrin_core_test(cli_apply_table_test cli/apply_table_test.cpp)
target_compile_definitions(cli_apply_table_test PRIVATE
  KORRIN_PATCH_BINARY="$<TARGET_FILE:korrin-patch>")
add_dependencies(cli_apply_table_test korrin-patch)

# Not under Wine: its console draws the screen on the terminal with escapes of its own, so a
# terminal cannot tell the program's colour from Wine's.
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME cli_colour_only_on_a_terminal
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/colour.sh $<TARGET_FILE:korrin-patch> ${KORRIN_TEST_DATA})
  set_tests_properties(cli_colour_only_on_a_terminal PROPERTIES LABELS core SKIP_RETURN_CODE 77)
endif()
