# Real faults of a save take a form of their own on each system.
if(WIN32)
  set(korrin_save_faults patch/save_fault_win32_test.cpp)
else()
  set(korrin_save_faults patch/save_fault_test.cpp)
endif()
korrin_core_test(patch_test
  patch/apply_test.cpp
  patch/hex_test.cpp
  ${korrin_save_faults}
  patch/save_sweep_test.cpp
  patch/target_pass_test.cpp
  patch/value_test.cpp
)
if(WIN32)
  add_executable(hold_file support/hold_file.cpp)
  target_compile_definitions(patch_test PRIVATE KORRIN_HOLD_FILE="$<TARGET_FILE:hold_file>")
  add_dependencies(patch_test hold_file)
endif()

