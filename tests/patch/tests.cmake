korrin_core_test(patch_test
  patch/apply_test.cpp
  patch/hex_chunks_test.cpp
  patch/hex_test.cpp
  patch/save_fault_test.cpp
  patch/save_sweep_test.cpp
  patch/target_pass_test.cpp
  patch/value_test.cpp
)

