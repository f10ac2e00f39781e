#include "platform/gfx/effect/hlsl_compiler.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <utility>
#include <mutex>
#include <sstream>
#include <string_view>

#include "platform/cache/cache_key.h"

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
bool SplitLocation(const std::string& body, const std::string& path, int* line, std::string* rest) {
    if (!StartsWith(body, path + ":")) return false;
    size_t digits = path.size() + 1;
    size_t end = digits;
    while (end < body.size() && end - digits < 9 && body[end] >= '0' && body[end] <= '9') ++end;
    if (end == digits || end >= body.size() || body[end] != ':') return false;
    *line = std::atoi(body.substr(digits, end - digits).c_str());
    *rest = Trim(body.substr(end + 1));
    return true;
}

// Where the ":line:" of a location with a string number or no name ("0:12:",
// ":12:") starts in body; npos for any other shape.
size_t UnnamedLocation(const std::string& body) {
    const char* digits = "0123456789";
    size_t colon = body.find_first_not_of(digits);
    if (colon == std::string::npos || body[colon] != ':') return std::string::npos;
    size_t end = body.find_first_not_of(digits, colon + 1);
    if (end == std::string::npos || end == colon + 1 || body[end] != ':') return std::string::npos;
    return colon;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where the message's quoted name ("'x' : unknown variable") stands on its
// line: its first appearance as a whole word; 0 when it cannot be told.
int ColumnOfQuoted(const std::string& what, std::string_view line) {
    if (what.size() < 3 || what[0] != '\'') return 0;
    size_t close = what.find('\'', 1);
    if (close == std::string::npos || close == 1) return 0;
    std::string name = what.substr(1, close - 1);
    for (size_t at = line.find(name); at != std::string_view::npos; at = line.find(name, at + 1)) {
        bool startsWord = at == 0 || !IsWordChar(line[at - 1]) || !IsWordChar(name[0]);
        size_t after = at + name.size();
        bool endsWord =
            after >= line.size() || !IsWordChar(line[after]) || !IsWordChar(name.back());
        if (startsWord && endsWord) return static_cast<int>(at) + 1;
    }
    return 0;
}

// The column of the line's first character that is not blank.
int FirstColumn(std::string_view line) {
    size_t at = line.find_first_not_of(" \t\r");
    return at == std::string_view::npos ? 1 : static_cast<int>(at) + 1;
}

std::string Location(const std::string& path, int line, int column) {
    return path + "(" + std::to_string(line) + (column > 0 ? "," + std::to_string(column) : "") +
           ")";
}

struct LogContext {
    const std::string& path;
    const std::string& source;
    const std::vector<ColumnShift>& shifts;
};

std::string TranslateLine(const std::string& raw, const LogContext& context) {
    const std::string& path = context.path;
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
        // A location glslang made up itself names a string number, or
        // nothing, instead of the file ("0:0: "): the file is ours.
        size_t named = UnnamedLocation(body);
        if (named != std::string::npos) body = path + body.substr(named);
        int line = 0;
        std::string rest;
        if (SplitLocation(body, path, &line, &rest)) {
            if (line == 0) return path + ": " + severity + ": " + rest;
            std::string_view source = LineOf(context.source, line);
            int column = context.source.empty() ? 0 : ColumnOfQuoted(rest, source);
            if (column == 0 && !context.source.empty()) column = FirstColumn(source);
            if (column > 0) column = OriginalColumn(context.shifts, line, column);
            return Location(path, line, column) + ": " + severity + ": " + rest;
        }
        // A message about an #include file: "file:12: rest".
        for (size_t colon = body.find(':'); colon != std::string::npos;
             colon = body.find(':', colon + 1)) {
            std::string file = body.substr(0, colon);
            if (SplitLocation(body, file, &line, &rest))
                return Location(file, line, 0) + ": " + severity + ": " + rest;
        }
        return path + ": " + severity + ": " + Trim(body);
    }
    // The HLSL parser's own form: "path(12): error at column 5, HLSL parsing failed."
    std::string marker = "): error at column ";
    if (StartsWith(text, path + "(")) {
        size_t at = text.find(marker);
        if (at != std::string::npos) {
            int line = std::atoi(text.substr(path.size() + 1, at - path.size() - 1).c_str());
            std::string rest = text.substr(at + marker.size());
            size_t comma = rest.find(", ");
            int column = std::atoi(rest.substr(0, comma).c_str());
            std::string what =
                comma == std::string::npos ? "HLSL parsing failed" : Trim(rest.substr(comma + 2));
            if (!what.empty() && what.back() == '.') what.pop_back();
            if (what == "HLSL parsing failed") what = "the HLSL cannot be read from here on";
            return Location(path, line, OriginalColumn(context.shifts, line, column)) +
                   ": error: " + what;
        }
        return text;
    }
    return path + ": " + text;
}

// #include "name": relative names without "..", read from the effect's
// folder (a name in an included file is taken from that file's folder,
// which is inside it), at most kMaxIncludeDepth deep and kMaxExpandedBytes in
// all. A refusal is handed to glslang as the include's text with no name,
// which glslang reports on the #include line.
class FolderIncluder : public glslang::TShader::Includer {
public:
    explicit FolderIncluder(std::string folder, std::vector<IncludedFile>* read = nullptr)
        : folder_(std::move(folder)), read_(read) {}

    IncludeResult* includeLocal(const char* header, const char* includer, size_t depth) override {
        refusal_.clear();
        std::string name = header ? header : "";
        if (depth > kMaxIncludeDepth)
            return Refuse("#include files nested deeper than " + std::to_string(kMaxIncludeDepth));
        if (name.empty() || name[0] == '/')
            return Refuse("#include \"" + name +
                          "\": only names relative to the effect's folder are read");
        for (size_t start = 0; start <= name.size();) {
            size_t end = name.find('/', start);
            if (end == std::string::npos) end = name.size();
            if (name.compare(start, end - start, "..") == 0)
                return Refuse("#include \"" + name + "\": '..' would leave the effect's folder");
            start = end + 1;
        }
        // Nested: from the including file's folder, itself inside ours.
        std::string base = folder_;
        std::string from = includer ? includer : "";
        auto known = folders_.find(from);
        if (known != folders_.end()) base = known->second;
        std::string file = base == "." ? name : base + "/" + name;
        size_t slash = file.rfind('/');
        std::ifstream in(file, std::ios::binary);
        if (!in) return Refuse("#include \"" + name + "\": cannot read " + file);
        std::string text;
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            text.append(buffer, static_cast<size_t>(in.gcount()));
            if (total_ + text.size() > kMaxExpandedBytes)
                return Refuse("#include files larger than " +
                              std::to_string(kMaxExpandedBytes >> 20) + " MiB in all");
        }
        total_ += text.size();
        if (read_) {
            IncludedFile record{file, disk_cache::Hash64(text)};
            if (std::find(read_->begin(), read_->end(), record) == read_->end())
                read_->push_back(std::move(record));
        }
        // The file's path names it in messages, and is how glslang names
        // it as the includer of the files it includes.
        folders_[file] = slash == std::string::npos ? "." : file.substr(0, slash);
        auto* kept = new std::string(std::move(text));
        return new IncludeResult(file, kept->data(), kept->size(), kept);
    }

    // glslang asks here too when includeLocal refused: the refusal stands.
    IncludeResult* includeSystem(const char* header, const char*, size_t) override {
        if (!refusal_.empty()) return Refuse(std::exchange(refusal_, std::string()));
        return Refuse(std::string("#include <") + (header ? header : "") +
                      ">: write #include \"name\" for a file in the effect's folder");
    }

    void releaseInclude(IncludeResult* result) override {
        if (!result) return;
        delete static_cast<std::string*>(result->userData);
        delete result;
    }

private:
    IncludeResult* Refuse(const std::string& why) {
        refusal_ = why;
        auto* kept = new std::string(why);
        return new IncludeResult("", kept->data(), kept->size(), kept);
    }

    std::string folder_;
    std::map<std::string, std::string> folders_;  // included file → its folder
    std::string refusal_;                         // includeLocal's, for includeSystem
    size_t total_ = 0;
    std::vector<IncludedFile>* read_;  // the files read, when asked for
};

EShMessages Messages() {
    // DX9-compatible mode: sampler2D/samplerCUBE as combined samplers and
    // the tex2D/texCUBE family of calls, as Direct3D 9 effects write them.
    return static_cast<EShMessages>(EShMsgReadHlsl | EShMsgSpvRules | EShMsgVulkanRules |
                                    EShMsgHlslDX9Compatible);
}

void Configure(glslang::TShader* shader, EShLanguage language, const std::string& source,
               const std::string& path, const char** text, int* length, const char** name) {
    *text = source.c_str();
    *length = static_cast<int>(source.size());
    *name = path.c_str();
    shader->setStringsWithLengthsAndNames(text, length, name, 1);
    shader->setEnvInput(glslang::EShSourceHlsl, language, glslang::EShClientVulkan, 100);
    shader->setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
    shader->setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
}

}  // namespace

std::string_view LineOf(const std::string& text, int n) {
    size_t begin = 0;
    for (int i = 1; i < n; ++i) {
        begin = text.find('\n', begin);
        if (begin == std::string::npos) return {};
        ++begin;
    }
    size_t end = text.find('\n', begin);
    return std::string_view(text).substr(
        begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string IncludeFolder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string TranslateGlslangLog(const std::string& raw, const std::string& path,
                                const std::string& source, const std::vector<ColumnShift>& shifts) {
    LogContext context{path, source, shifts};
    std::istringstream lines(raw);
    std::string line;
    std::string out;
    while (std::getline(lines, line)) {
        std::string translated = TranslateLine(line, context);
        if (translated.empty()) continue;
        out += translated;
        out += '\n';
    }
    return out;
}

bool PreprocessHlsl(const std::string& source, const std::string& path, std::string* expanded,
                    std::string* log, const std::vector<ColumnShift>& shifts) {
    InitializeGlslangOnce();
    glslang::TShader shader(EShLangVertex);
    const char* text = nullptr;
    int length = 0;
    const char* name = nullptr;
    Configure(&shader, EShLangVertex, source, path, &text, &length, &name);
    FolderIncluder includer(IncludeFolder(path));
    expanded->clear();
    bool done = shader.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, Messages(),
                                  expanded, includer);
    *log = TranslateGlslangLog(shader.getInfoLog(), path, source, shifts);
    if (!done) {
        if (log->find(": error: ") == std::string::npos)
            *log += path + ": error: the preprocessor refused the file\n";
        return false;
    }
    if (expanded->size() > kMaxExpandedBytes) {
        *log += path + ": error: the effect is " + std::to_string(expanded->size() >> 20) +
                " MiB once its macros are expanded; at most " +
                std::to_string(kMaxExpandedBytes >> 20) + " MiB are compiled\n";
        expanded->clear();
        return false;
    }
    return true;
}

bool CompileHlsl(const std::string& source, const std::string& path, Stage stage,
                 const std::string& entry, std::vector<uint32_t>* spirv, std::string* log,
                 const std::vector<ColumnShift>& shifts, std::vector<IncludedFile>* included) {
    InitializeGlslangOnce();
    log->clear();
    EShLanguage language = stage == Stage::Vertex ? EShLangVertex : EShLangFragment;
    glslang::TShader shader(language);
    const char* text = nullptr;
    int length = 0;
    const char* name = nullptr;
    Configure(&shader, language, source, path, &text, &length, &name);
    shader.setEntryPoint(entry.c_str());
    // Keeps each input's and output's semantic in the SPIR-V, so that the
    // GLSL side can place vertex attributes and varyings by semantic.
    shader.setEnvTargetHlslFunctionality1();
    shader.setAutoMapBindings(true);
    shader.setAutoMapLocations(true);
    const EShMessages messages = Messages();
    auto translate = [&](const std::string& raw) {
        return TranslateGlslangLog(raw, path, source, shifts);
    };

    FolderIncluder includer(IncludeFolder(path), included);
    bool parsed =
        shader.parse(GetDefaultResources(), 100, ENoProfile, false, false, messages, includer);
    std::string raw = shader.getInfoLog();
    if (!parsed) {
        *log = translate(raw);
        if (log->empty()) *log = path + ": error: the HLSL compiler failed without a message\n";
        return false;
    }
    glslang::TProgram program;
    program.addShader(&shader);
    bool linked = program.link(messages);
    std::string linkLog = program.getInfoLog();
    if (linkLog.find("Entry point not found") != std::string::npos) {
        *log = translate(raw) + path + ": error: entry point '" + entry + "' not found\n";
        return false;
    }
    raw += linkLog;
    if (!linked || !program.mapIO()) {
        *log = translate(raw);
        if (log->find(": error: ") == std::string::npos) {
            *log += path + ": error: linking entry point '" + entry + "' failed\n";
        }
        return false;
    }
    spv::SpvBuildLogger logger;
    glslang::SpvOptions options;
    // Lines only (no source text, no names beyond glslang's own): enough for
    // the GLSL to say which line of the file each statement came from.
    options.emitNonSemanticShaderDebugInfo = false;
    options.generateDebugInfo = true;
    spirv->clear();
    glslang::GlslangToSpv(*program.getIntermediate(language), *spirv, &logger, &options);
    std::string spvMessages = logger.getAllMessages();
    *log = translate(raw);
    if (!spvMessages.empty()) *log += translate(spvMessages);
    if (spirv->empty()) {
        *log += path + ": error: no SPIR-V produced for entry point '" + entry + "'\n";
        return false;
    }
    return true;
}

}  // namespace gfx::effect
