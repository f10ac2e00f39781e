file(GLOB smd_parser_sources RELATIVE ${RR_SRC} ${RR_SRC}/model/smd/*.cpp)
rr_fuzz_target(smd_parser ${smd_parser_sources} math/matrix4.cpp math/vector3.cpp)
