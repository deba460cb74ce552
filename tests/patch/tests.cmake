korrin_core_test(patch_test
  patch/hex_test.cpp
)
