rr_fuzz_target(dds platform/gfx/image/dds.cpp platform/gfx/image/texture_limits.cpp)
