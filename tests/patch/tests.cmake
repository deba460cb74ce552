korrin_core_test(patch_test
  patch/hex_test.cpp
  patch/save_fault_test.cpp
  patch/search_test.cpp
  patch/vp_patch_test.cpp
)
