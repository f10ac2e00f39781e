#include "app/startup_failure.h"

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/application.h"
#include "app/data_folder.h"
#include "app/stderr_boxes.h"
#include "platform/files.h"
#include "platform/gfx/image/dds.h"
#include "platform/window/core/message_box.h"
#include "platform/window/core/window_backend.h"
#include "scene/environment_box.h"

namespace {

// The box takes code page 949 text (MessageBoxA), our reasons are UTF-8:
// paths may hold Hangul. Characters code page 949 lacks become '?'.
std::string Utf8ToCp949(const std::string& text) {
    iconv_t descriptor = iconv_open("CP949", "UTF-8");
    if (descriptor == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    std::vector<char> buffer(text.size() * 2 + 16);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* to = buffer.data();
        size_t toLeft = buffer.size();
        size_t result = iconv(descriptor, &in, &inLeft, &to, &toLeft);
        out.append(buffer.data(), size_t(to - buffer.data()));
        if (result == static_cast<size_t>(-1) && inLeft > 0 && toLeft == buffer.size()) {
            // Nothing converted: skip the character (a lead byte and its
            // continuation bytes) that code page 949 cannot hold.
            out += '?';
            do {
                ++in;
                --inLeft;
            } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        }
    }
    iconv_close(descriptor);
    return out;
}

// "PATH: reason" from the file reader, without the path.
std::string ReasonOf(const std::string& error) {
    size_t colon = error.rfind(": ");
    return colon == std::string::npos ? error : error.substr(colon + 2);
}

std::string WhereTheFilesWereLookedFor() {
    const DataFolderChoice& choice = CurrentDataFolderChoice();
    if (choice.chosen >= 0 || choice.searched.empty()) return "";
    std::string list;
    for (size_t i = 0; i < choice.searched.size(); ++i)
        list += (i ? ", " : "") + choice.searched[i];
    return "; none of the program's files is in " + list +
           ": start it from its run folder (build/run) or install it (cmake --install)";
}

// Why the cube map was not loaded: the file, then its content, then the device.
std::string CubeMapProblem(const char* path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, file_limits::kCubeMap, &bytes, &error))
        return ReasonOf(error) + WhereTheFilesWereLookedFor();
    gfx::image::DdsImage image;
    constexpr char kFormats[] =
        " (cube maps are read as DDS files of A8R8G8B8, X8R8G8B8, A8B8G8R8, DXT1, DXT3 or DXT5 "
        "with all six faces)";
    if (!gfx::image::ParseDds(bytes.data(), bytes.size(), &image, &error)) return error + kFormats;
    if (!image.cube) return std::string("a DDS file, but not a cube map") + kFormats;
    return "the graphics device could not make a cube texture of it";
}

}  // namespace

void ReportStartupFailure(const std::string& what) {
    std::string text = "cannot start: " + what;
    std::fprintf(stderr, "reflect-refract: %s\n", text.c_str());
    if (GetWindowBackend() && !MessageBoxesGoToStderr())
        MessageBoxA(nullptr, Utf8ToCp949(text).c_str(), kStartupFailureCaption, MB_OK | MB_ICONERROR);
}

std::string DescribeDeviceFailure(const Application& app) {
    const Renderer& renderer = app.renderer;
    if (!renderer.direct3D) return "no graphics device layer is available (OpenGL 4.5 is needed)";
    if (!renderer.device) {
        // What the device layer found (no OpenGL 4.5 core context: what it
        // needs and what the display offers); empty when it cannot say.
        std::string detail = renderer.direct3D->GetCreationFailure();
        if (detail.empty()) return "the graphics device could not be created for the window";
        const char* override = std::getenv("MESA_GL_VERSION_OVERRIDE");
        if (override && override[0])
            return detail + "; unset MESA_GL_VERSION_OVERRIDE=" + override + ", which holds the version back";
        return detail + "; use a graphics driver that offers it (Mesa's llvmpipe does: LIBGL_ALWAYS_SOFTWARE=1)";
    }
    return "the HUD font \"Arial\" could not be created; install fontconfig, fonts-liberation2 "
           "(a metric-compatible Arial) and fonts-nanum (scripts/install-deps.sh does)";
}

std::string DescribeEnvironmentFailure(const Application& app) {
    if (!app.boxVertexBuffer || !app.boxIndexBuffer)
        return "the graphics device refused the environment box's buffers";
    return "cannot load the cube map " + DisplayPath(app.EnvironmentMapPath()) + ": " +
           CubeMapProblem(app.EnvironmentMapPath());
}
