// JPEG through libjpeg-turbo. Its errors end in longjmp, like libpng's: the
// state that must outlive a jump lives in a session on the heap.
//
// Bounds beyond the picture's size: a progressive file may spread its data
// over many scans, each a pass over the whole picture, so the number of scans
// is capped; the decoder's own working memory (the whole picture's
// coefficients, for progressive files) is capped; and data that libjpeg can
// only read with a warning (a truncated file, a bad Huffman code) is refused
// at the first such warning instead of being decoded to the end as grey.
#include <cstdio>
// jpeglib.h needs FILE and size_t first.
#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/gfx/image/image_decoders.h"

namespace gfx::image {

namespace {

// Real progressive files have about ten scans (libjpeg's default script) and
// optimised ones a few more.
constexpr int kMaxScans = 100;
// Enough for the coefficients of a picture at the texture limit with four
// components at full resolution (16 Mi pixels × 4 × 2 bytes).
constexpr long kWorkingMemory = long(192) << 20;

struct Session {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    bool created = false;
    uint8_t* pixels = nullptr;
    std::vector<JSAMPROW> rows;
    char message[JMSG_LENGTH_MAX + 32] = "";
    bool sizeRefused = false;

    ~Session() {
        if (created) jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
    }
};

Session* SessionOf(j_common_ptr cinfo) { return static_cast<Session*>(cinfo->client_data); }

[[noreturn]] void Stop(j_common_ptr cinfo) { std::longjmp(SessionOf(cinfo)->jump, 1); }

[[noreturn]] void OnError(j_common_ptr cinfo) {
    Session* session = SessionOf(cinfo);
    (*cinfo->err->format_message)(cinfo, session->message);
    Stop(cinfo);
}

// Warnings that say nothing about the pixels: they are read past.
bool Harmless(int code) {
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM ||
           code == JWRN_BOGUS_ICC;
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0 || Harmless(cinfo->err->msg_code)) return;  // trace output, or harmless
    OnError(cinfo);
}

void OnProgress(j_common_ptr cinfo) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxScans) {
        std::snprintf(SessionOf(cinfo)->message, sizeof SessionOf(cinfo)->message,
                      "more than %d scans", kMaxScans);
        Stop(cinfo);
    }
}

// Adobe's CMYK, stored inverted (as Photoshop writes it): the colour is the
// ink's complement scaled by the key's.
void CmykToRgba(uint8_t* row, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) {
        uint8_t* p = row + size_t(x) * 4;
        unsigned k = p[3];
        p[0] = uint8_t((p[0] * k + 127) / 255);
        p[1] = uint8_t((p[1] * k + 127) / 255);
        p[2] = uint8_t((p[2] * k + 127) / 255);
        p[3] = 255;
    }
}

// Everything after jpeg_create_decompress, in the frame the error jump
// returns to. False after an error; session->message says why.
bool Read(Session* session, const uint8_t* data, size_t size, const TextureLimits& limits,
          std::string* error) {
    j_decompress_ptr cinfo = &session->cinfo;
    if (setjmp(session->jump)) return false;

    cinfo->mem->max_memory_to_use = kWorkingMemory;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
        std::strcpy(session->message, "tables only, no picture");
        return false;
    }
    uint32_t width = cinfo->image_width, height = cinfo->image_height;
    if (!CheckTextureSize(width, height, 1, uint64_t(width) * height * 4, limits, error)) {
        session->sizeRefused = true;
        return false;
    }
    bool cmyk = false;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr: cinfo->out_color_space = JCS_EXT_RGBA; break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        std::snprintf(session->message, sizeof session->message,
                      "%d colour components in no known colour space", cinfo->num_components);
        return false;
    }

    jpeg_start_decompress(cinfo);
    if (cinfo->output_width != width || cinfo->output_height != height ||
        cinfo->output_components != 4) {
        std::strcpy(session->message, "unexpected output layout");
        return false;
    }
    session->pixels = AllocatePixels(width, height);
    if (!session->pixels) {
        std::strcpy(session->message, "out of memory");
        return false;
    }
    session->rows.resize(height);
    for (uint32_t y = 0; y < height; ++y)
        session->rows[y] = session->pixels + size_t(y) * width * 4;
    while (cinfo->output_scanline < height) {
        JDIMENSION first = cinfo->output_scanline;
        JDIMENSION got = jpeg_read_scanlines(cinfo, session->rows.data() + first, height - first);
        if (got == 0) {
            std::strcpy(session->message, "no more rows in the data");
            return false;
        }
        if (cmyk) {
            for (JDIMENSION y = first; y < first + got; ++y) CmykToRgba(session->rows[y], width);
        }
    }
    // jpeg_finish_decompress is not called: it would only read what follows
    // the picture.
    return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
                std::string* error) {
    auto session = std::make_unique<Session>();
    jpeg_decompress_struct& cinfo = session->cinfo;
    cinfo.err = jpeg_std_error(&session->errors);
    session->errors.error_exit = OnError;
    session->errors.emit_message = OnMessage;
    cinfo.client_data = session.get();
    // jpeg_create_decompress can itself fail (out of memory) through error_exit.
    if (setjmp(session->jump)) {
        *error = session->message;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    session->created = true;
    session->progress.progress_monitor = OnProgress;
    cinfo.progress = &session->progress;

    if (!Read(session.get(), data, size, limits, error)) {
        if (!session->sizeRefused) *error = session->message;
        return false;
    }
    image->width = cinfo.output_width;
    image->height = cinfo.output_height;
    image->pixels.reset(session->pixels);
    session->pixels = nullptr;
    return true;
}

}  // namespace gfx::image
