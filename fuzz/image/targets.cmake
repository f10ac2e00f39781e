pkg_check_modules(FUZZ_IMAGE_LIBS REQUIRED IMPORTED_TARGET libpng libjpeg)
rr_fuzz_target(image platform/gfx/image/image.cpp platform/gfx/image/png_decoder.cpp
               platform/gfx/image/jpeg_decoder.cpp platform/gfx/image/bmp_decoder.cpp
               platform/gfx/image/tga_decoder.cpp platform/gfx/image/texture_limits.cpp
               LIBS PkgConfig::FUZZ_IMAGE_LIBS)
