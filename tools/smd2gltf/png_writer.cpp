// libpng reports errors by longjmp: what must survive one (the output, the
// row table, the message) lives in a session on the heap, and the only frame
// jumped over is libpng's own (and our callbacks, which hold nothing to
// destroy).
#include "smd2gltf/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>

namespace smd2gltf {

namespace {

struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<uint8_t>* out = nullptr;
    std::vector<uint8_t> packed;  // RGB rows when the alpha is dropped
    std::vector<png_bytep> rows;
    char message[200] = "";

    ~Session() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

void OnError(png_structp png, png_const_charp message) {
    auto* session = static_cast<Session*>(png_get_error_ptr(png));
    if (!session->message[0])
        std::strncpy(session->message, message ? message : "error", sizeof session->message - 1);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, size_t length) {
    auto* session = static_cast<Session*>(png_get_io_ptr(png));
    session->out->insert(session->out->end(), data, data + length);
}

void OnFlush(png_structp) {}

bool Write(Session* session, const gfx::image::RgbaImage& image, int level) {
    png_structp png = session->png;
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, session, OnWrite, OnFlush);
    png_set_compression_level(png, level);
    const size_t width = image.width;
    const size_t pixels = width * image.height;
    const uint8_t* rgba = image.pixels.get();
    bool opaque = true;
    for (size_t i = 0; i < pixels && opaque; ++i) opaque = rgba[4 * i + 3] == 255;
    png_set_IHDR(png, session->info, image.width, image.height, 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const uint8_t* source = rgba;
    size_t stride = 4 * width;
    if (opaque) {
        session->packed.resize(3 * pixels);
        for (size_t i = 0; i < pixels; ++i) std::memcpy(&session->packed[3 * i], &rgba[4 * i], 3);
        source = session->packed.data();
        stride = 3 * width;
    }
    session->rows.resize(image.height);
    for (size_t y = 0; y < image.height; ++y)
        session->rows[y] = const_cast<png_bytep>(source + y * stride);
    png_set_rows(png, session->info, session->rows.data());
    png_write_png(png, session->info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

}  // namespace

bool EncodePng(const gfx::image::RgbaImage& image, std::vector<uint8_t>* png, std::string* error,
               int compressionLevel) {
    png->clear();
    if (!image.pixels || image.width == 0 || image.height == 0) {
        *error = "an empty picture";
        return false;
    }
    auto session = std::make_unique<Session>();
    session->out = png;
    session->png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, session.get(), OnError, OnWarning);
    if (session->png) session->info = png_create_info_struct(session->png);
    if (!session->png || !session->info) {
        *error = "libpng could not start (no memory)";
        return false;
    }
    if (!Write(session.get(), image, compressionLevel)) {
        *error = std::string("libpng: ") + session->message;
        png->clear();
        return false;
    }
    return true;
}

}  // namespace smd2gltf
