#include "platform/gfx/effect/hlsl_compiler.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <cstdlib>
#include <mutex>
#include <sstream>

namespace gfx::effect {

namespace {

// glslang keeps process-wide tables (built-in symbols per stage); they are
// made once and given back at exit so leak checkers see a clean process.
void InitializeGlslangOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        glslang::InitializeProcess();
        std::atexit([] { glslang::FinalizeProcess(); });
    });
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// "path:12: rest" → line 12 and rest; false when the line has another shape.
bool SplitLocation(const std::string& body, const std::string& path, std::string* line,
                   std::string* rest) {
    if (!StartsWith(body, path + ":")) return false;
    size_t digits = path.size() + 1;
    size_t end = digits;
    while (end < body.size() && body[end] >= '0' && body[end] <= '9') ++end;
    if (end == digits || end >= body.size() || body[end] != ':') return false;
    *line = body.substr(digits, end - digits);
    *rest = Trim(body.substr(end + 1));
    return true;
}

std::string TranslateLine(const std::string& raw, const std::string& path) {
    std::string text = Trim(raw);
    if (text.empty()) return text;
    const char* severity = nullptr;
    std::string body;
    if (StartsWith(text, "ERROR: ")) {
        severity = "error";
        body = text.substr(7);
    } else if (StartsWith(text, "WARNING: ")) {
        severity = "warning";
        body = text.substr(9);
    }
    if (severity) {
        // "ERROR: 3 compilation errors.  No code generated." only counts.
        if (body.find("compilation errors") != std::string::npos ||
            body.find("compilation error.") != std::string::npos) {
            return std::string();
        }
        std::string line, rest;
        if (SplitLocation(body, path, &line, &rest)) {
            return path + "(" + line + "): " + severity + ": " + rest;
        }
        return path + ": " + severity + ": " + Trim(body);
    }
    // The HLSL parser's own form: "path(12): error at column 5, HLSL parsing failed."
    std::string marker = "): error at column ";
    if (StartsWith(text, path + "(")) {
        size_t at = text.find(marker);
        if (at != std::string::npos) {
            std::string location = text.substr(0, at + 1);
            std::string rest = text.substr(at + marker.size());
            size_t comma = rest.find(", ");
            std::string column = rest.substr(0, comma);
            std::string what = comma == std::string::npos ? "HLSL parsing failed"
                                                          : Trim(rest.substr(comma + 2));
            if (!what.empty() && what.back() == '.') what.pop_back();
            return location + ": error: " + what + " (column " + column + ")";
        }
        return text;
    }
    return path + ": " + text;
}

}  // namespace

std::string TranslateGlslangLog(const std::string& raw, const std::string& path) {
    std::istringstream lines(raw);
    std::string line;
    std::string out;
    while (std::getline(lines, line)) {
        std::string translated = TranslateLine(line, path);
        if (translated.empty()) continue;
        out += translated;
        out += '\n';
    }
    return out;
}

bool CompileHlsl(const std::string& source, const std::string& path, Stage stage,
                 const std::string& entry, std::vector<uint32_t>* spirv, std::string* log) {
    InitializeGlslangOnce();
    log->clear();
    EShLanguage language = stage == Stage::Vertex ? EShLangVertex : EShLangFragment;
    glslang::TShader shader(language);
    const char* text = source.c_str();
    const int length = static_cast<int>(source.size());
    const char* name = path.c_str();
    shader.setStringsWithLengthsAndNames(&text, &length, &name, 1);
    shader.setEntryPoint(entry.c_str());
    shader.setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
    shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
    shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
    // Keeps each input's and output's semantic in the SPIR-V, so that the
    // GLSL side can place vertex attributes and varyings by semantic.
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapBindings(true);
    shader.setAutoMapLocations(true);
    const auto messages =
        static_cast<EShMessages>(EShMsgReadHlsl | EShMsgSpvRules | EShMsgVulkanRules);

    bool parsed = shader.parse(GetDefaultResources(), 100, false, messages);
    std::string raw = shader.getInfoLog();
    if (!parsed) {
        *log = TranslateGlslangLog(raw, path);
        if (log->empty()) *log = path + ": error: the HLSL compiler failed without a message\n";
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    bool linked = program.link(messages);
    std::string linkLog = program.getInfoLog();
    if (linkLog.find("Entry point not found") != std::string::npos) {
        *log = TranslateGlslangLog(raw, path) + path + ": error: entry point '" + entry +
               "' not found\n";
        return false;
    }
    raw += linkLog;
    if (!linked || !program.mapIO()) {
        *log = TranslateGlslangLog(raw, path);
        if (log->find(": error: ") == std::string::npos) {
            *log += path + ": error: linking entry point '" + entry + "' failed\n";
        }
        return false;
    }
    spv::SpvBuildLogger logger;
    glslang::SpvOptions options;
    spirv->clear();
    glslang::GlslangToSpv(*program.getIntermediate(language), *spirv, &logger, &options);
    std::string spvMessages = logger.getAllMessages();
    *log = TranslateGlslangLog(raw, path);
    if (!spvMessages.empty()) *log += TranslateGlslangLog(spvMessages, path);
    if (spirv->empty()) {
        *log += path + ": error: no SPIR-V produced for entry point '" + entry + "'\n";
        return false;
    }
    return true;
}

}  // namespace gfx::effect
