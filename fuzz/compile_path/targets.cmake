# The whole compile path a user's effect takes: the effect reader in this
# process, glslang and SPIRV-Cross in the compiler program, which is built
# here too (beside the target, where the reader's side looks for it first).
set(rr_compile_path_sources
  platform/gfx/effect/compile_child.cpp platform/gfx/effect/compiler_process.cpp
  platform/gfx/effect/d3d9_syntax.cpp platform/gfx/effect/effect_codec.cpp
  platform/gfx/effect/effect_compiler.cpp platform/gfx/effect/effect_source.cpp
  platform/gfx/effect/hlsl_compiler.cpp platform/gfx/effect/spirv_to_glsl.cpp
  platform/gfx/effect/state_names.cpp platform/gfx/effect/technique_check.cpp
  platform/cache/cache_key.cpp)
set(rr_glslang_libs glslang SPIRV glslang-default-resource-limits MachineIndependent
    GenericCodeGen OSDependent OGLCompiler HLSL SPIRV-Tools-opt SPIRV-Tools)
set(rr_glslang_paths)
foreach(lib ${rr_glslang_libs})
  find_library(RR_FUZZ_LIB_${lib} NAMES ${lib} REQUIRED)
  list(APPEND rr_glslang_paths ${RR_FUZZ_LIB_${lib}})
endforeach()
list(JOIN rr_glslang_paths "," rr_glslang_group)
pkg_check_modules(RR_FUZZ_SPIRV_CROSS REQUIRED IMPORTED_TARGET spirv-cross-c-shared)
pkg_check_modules(RR_FUZZ_XXHASH REQUIRED IMPORTED_TARGET libxxhash)
set(rr_compile_path_libs PkgConfig::RR_FUZZ_SPIRV_CROSS PkgConfig::RR_FUZZ_XXHASH
    "-Wl,--start-group,${rr_glslang_group},--end-group" pthread)

rr_fuzz_target(compile_path ${rr_compile_path_sources} LIBS ${rr_compile_path_libs})
target_compile_definitions(fuzz_compile_path PRIVATE ENABLE_HLSL=1)

set(rr_compiler_sources ${RR_SRC}/platform/gfx/effect/compiler/main.cpp)
foreach(source ${rr_compile_path_sources})
  list(APPEND rr_compiler_sources ${RR_SRC}/${source})
endforeach()
add_executable(rr-effect-compiler ${rr_compiler_sources})
target_include_directories(rr-effect-compiler PRIVATE ${RR_SRC})
target_compile_definitions(rr-effect-compiler PRIVATE ENABLE_HLSL=1)
target_link_options(rr-effect-compiler PRIVATE -fsanitize=address,undefined)
target_link_libraries(rr-effect-compiler PRIVATE ${rr_compile_path_libs})
add_dependencies(fuzz_compile_path rr-effect-compiler)
# glslang is built without RTTI (see src/platform/gfx/effect/CMakeLists.txt).
set_source_files_properties(${RR_SRC}/platform/gfx/effect/hlsl_compiler.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-rtti;-fno-sanitize=vptr")
