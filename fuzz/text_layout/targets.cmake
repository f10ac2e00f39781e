pkg_check_modules(FUZZ_FONT_LIBS REQUIRED IMPORTED_TARGET freetype2 fontconfig)
rr_fuzz_target(text_layout platform/gfx/font/text_builder.cpp platform/gfx/font/font_faces.cpp
               platform/gfx/font/face_matching.cpp
               platform/gfx/font/glyph_atlas.cpp platform/gfx/font/text_layout.cpp
               platform/text/cp949.cpp LIBS PkgConfig::FUZZ_FONT_LIBS)
