korrin_core_test(patch_test
  patch/apply_test.cpp
  patch/hex_test.cpp
  patch/save_fault_test.cpp
  patch/save_sweep_test.cpp
  patch/search_test.cpp
  patch/value_test.cpp
  patch/vp_patch_test.cpp
)
korrin_core_test(patch_rehearse_test
  patch/hex_chunks_test.cpp
  patch/occurrences_test.cpp
  patch/rehearse_test.cpp
)

