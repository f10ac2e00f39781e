rr_fuzz_target(effect_source platform/gfx/effect/effect_source.cpp
               platform/gfx/effect/d3d9_syntax.cpp platform/gfx/effect/state_names.cpp)
