rr_fuzz_target(cp949 platform/text/cp949.cpp)
