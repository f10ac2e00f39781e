#include "app/startup_failure.h"

#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "platform/gfx/image/dds.h"
#include "platform/text/cp949.h"

namespace {

// "PATH: reason" from the file reader, without the path.
std::string ReasonOf(const std::string& error) {
    size_t colon = error.rfind(": ");
    return colon == std::string::npos ? error : error.substr(colon + 2);
}

std::string WhereTheFilesWereLookedFor(const DataFolderChoice& choice) {
    if (choice.chosen >= 0 || choice.searched.empty()) return "";
    std::string list;
    for (size_t i = 0; i < choice.searched.size(); ++i)
        list += (i ? ", " : "") + choice.searched[i];
    return "; none of the program's files is in " + list +
           ": start it from its run folder (build/run) or install it (cmake --install)";
}

// Why the cube map was not loaded: the file, then its content, then the device.
std::string CubeMapProblem(const StartupFacts& facts) {
    std::string reason = CubeMapReason(facts.cubeMapFile);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(facts.cubeMapFile.c_str(), file_limits::kCubeMap, &bytes, &error))
        reason += WhereTheFilesWereLookedFor(facts.dataFolder);
    return reason;
}

}  // namespace

std::string CubeMapReason(const std::string& file) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(file.c_str(), file_limits::kCubeMap, &bytes, &error)) return ReasonOf(error);
    gfx::image::DdsImage image;
    constexpr char kFormats[] =
        " (cube maps are read as DDS files of A8R8G8B8, X8R8G8B8, A8B8G8R8, DXT1, DXT3 or DXT5 "
        "with all six faces)";
    if (!gfx::image::ParseDds(bytes.data(), bytes.size(), &image, &error)) return error + kFormats;
    if (!image.cube) return std::string("a DDS file, but not a cube map") + kFormats;
    return "the graphics device could not make a cube texture of it";
}

namespace {

std::string DeviceProblem(const std::string& detail) {
    if (detail.empty()) return "the graphics device could not be created for the window";
    const char* override = std::getenv("MESA_GL_VERSION_OVERRIDE");
    if (override && override[0])
        return detail + "; unset MESA_GL_VERSION_OVERRIDE=" + override +
               ", which holds the version back";
    return detail +
           "; use a graphics driver that offers it (Mesa's llvmpipe does: LIBGL_ALWAYS_SOFTWARE=1)";
}

}  // namespace

std::string DescribeStartupFailure(const StartupFacts& facts) {
    switch (facts.failed) {
    case StartupStep::Direct3D:
        return "no graphics device layer is available (OpenGL 4.5 is needed)";
    case StartupStep::Device: return DeviceProblem(facts.deviceDetail);
    case StartupStep::Font:
        return "the HUD font \"Arial\" could not be created; install fontconfig, fonts-liberation2 "
               "(a metric-compatible Arial) and fonts-nanum (scripts/install-deps.sh does)";
    case StartupStep::BoxBuffers:
        return "the graphics device refused the environment box's buffers";
    case StartupStep::CubeMap:
        return "cannot load the cube map " + facts.cubeMapDisplayPath + ": " +
               CubeMapProblem(facts);
    case StartupStep::ModelMemory: return "out of memory for the model";
    case StartupStep::ClipMissing:
        if (!facts.clipFile.empty())
            return "--clip " + std::to_string(facts.clip) + ": the animation file " +
                   facts.clipFile + " did not load (" + facts.clipReason + ")";
        return "--clip " + std::to_string(facts.clip) + ": only " +
               std::to_string(facts.clipsLoaded) + " of the " + std::to_string(facts.clipFiles) +
               " animation files loaded";
    case StartupStep::FileNotLoaded: return facts.fileFailure;
    }
    return "an unknown step failed";
}

void ReportStartupFailure(const ReportSink& sink, const std::string& what) {
    std::string text = "cannot start: " + what;
    sink.Note(text.c_str());
    sink.Box(kStartupFailureCaption, text::Utf8ToCp949(text).c_str());
}
