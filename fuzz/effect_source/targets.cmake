rr_fuzz_target(effect_source platform/gfx/effect/effect_source.cpp)
