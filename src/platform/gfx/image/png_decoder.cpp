// PNG through libpng. libpng reports errors by longjmp: everything that must
// survive one (the output block, the row table, the message) lives in a
// session on the heap, and the only frame jumped over is libpng's own (and
// our read and error callbacks, which hold nothing to destroy).
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/gfx/image/image_decoders.h"

namespace gfx::image {

namespace {

// Chunks read as far as their length and skipped: text, colour profiles,
// palettes for other displays. Compressed text and profiles are where a small
// file can hide a large inflate, and a texture needs none of them.
constexpr png_byte kSkippedChunks[] = "iCCP\0iTXt\0tEXt\0zTXt\0sPLT\0eXIf\0";
constexpr int kSkippedChunkCount = 6;

// Largest ancillary chunk libpng may allocate (the ones still read: palette
// transparency, gamma and the like, all a few hundred bytes).
constexpr png_alloc_size_t kChunkMemory = png_alloc_size_t(1) << 20;

struct Session {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* pixels = nullptr;
    std::vector<png_bytep> rows;
    char message[200] = "";
    bool sizeRefused = false;

    ~Session() {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        std::free(pixels);
    }
};

void OnError(png_structp png, png_const_charp message) {
    auto* session = static_cast<Session*>(png_get_error_ptr(png));
    if (!session->message[0]) {
        std::strncpy(session->message, message ? message : "error", sizeof session->message - 1);
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {
    // Warnings are about chunks libpng dropped and read on without; the
    // picture is still whole.
}

void OnRead(png_structp png, png_bytep out, size_t length) {
    auto* session = static_cast<Session*>(png_get_io_ptr(png));
    if (length > session->size - session->position) png_error(png, "file truncated");
    std::memcpy(out, session->data + session->position, length);
    session->position += length;
}

// Everything after png_create_read_struct, in one function whose frame the
// error jump returns to. False after an error; session->message says why.
bool Read(Session* session, const TextureLimits& limits, std::string* error) {
    png_structp png = session->png;
    if (setjmp(png_jmpbuf(png))) return false;

    png_set_chunk_malloc_max(png, kChunkMemory);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
    png_set_read_fn(png, session, OnRead);
    png_read_info(png, session->info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0;
    png_get_IHDR(png, session->info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
    if (!CheckTextureSize(width, height, 1, uint64_t(width) * height * 4, limits, error)) {
        session->sizeRefused = true;
        return false;
    }

    // To 8-bit RGBA whatever the file holds; no gamma or colour-space change,
    // the texture gets the stored values.
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    bool transparency = png_get_valid(png, session->info, PNG_INFO_tRNS) != 0;
    if (transparency) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colour & PNG_COLOR_MASK_ALPHA) && !transparency)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, session->info);
    if (png_get_rowbytes(png, session->info) != size_t(width) * 4) {
        png_error(png, "unexpected row layout after conversion to RGBA");
    }

    session->pixels = AllocatePixels(width, height);
    if (!session->pixels) png_error(png, "out of memory");
    session->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        session->rows[y] = session->pixels + size_t(y) * width * 4;
    png_read_image(png, session->rows.data());
    // The chunks after the image data are not read: nothing in them changes
    // the picture.
    return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error) {
    auto session = std::make_unique<Session>();
    session->data = data;
    session->size = size;
    session->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, session.get(), OnError, OnWarning);
    if (session->png) session->info = png_create_info_struct(session->png);
    if (!session->png || !session->info) {
        *error = "out of memory";
        return false;
    }
    if (!Read(session.get(), limits, error)) {
        if (!session->sizeRefused) *error = session->message;
        return false;
    }
    png_uint_32 width = png_get_image_width(session->png, session->info);
    png_uint_32 height = png_get_image_height(session->png, session->info);
    image->width = width;
    image->height = height;
    image->pixels.reset(session->pixels);
    session->pixels = nullptr;
    return true;
}

}  // namespace gfx::image
