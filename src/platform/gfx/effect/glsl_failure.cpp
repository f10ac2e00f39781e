#include "platform/gfx/effect/glsl_failure.h"

#include <cctype>
#include <cstdlib>
#include <string_view>

#include "platform/gfx/effect/hlsl_compiler.h"

namespace gfx::effect {

namespace {

// The first "0:LINE(" or "0:LINE:" of the GL's log: a line of the effect
// file, through the GLSL's "#line" directives; 0 when there is none.
int FirstLine(const std::string& log) {
    for (size_t at = log.find("0:"); at != std::string::npos; at = log.find("0:", at + 1)) {
        if (at > 0 && std::isdigit(static_cast<unsigned char>(log[at - 1]))) continue;
        size_t digits = at + 2, end = digits;
        while (end < log.size() && end - digits < 9 &&
               std::isdigit(static_cast<unsigned char>(log[end])))
            ++end;
        if (end > digits && end < log.size() && (log[end] == '(' || log[end] == ':'))
            return std::atoi(log.substr(digits, end - digits).c_str());
    }
    return 0;
}

}  // namespace

std::string DescribeGlFailure(const std::string& glLog, const std::string& path,
                              const std::string& text, const PassProgram& pass,
                              const std::string& technique) {
    const char* stage = glLog.rfind("fragment shader", 0) == 0 ? "pixel shader"
                        : glLog.rfind("link", 0) == 0          ? "program"
                                                               : "vertex shader";
    std::string where = "pass '" + pass.name + "' of technique '" + technique + "'";
    int line = FirstLine(glLog);
    std::string_view source = line > 0 ? LineOf(text, line) : std::string_view();
    size_t first = source.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return path + "(" + std::to_string(pass.line) + ",1): error: " + where + ": its " + stage +
               " could not be translated for OpenGL\n";
    }
    size_t last = source.find_last_not_of(" \t\r");
    std::string quoted(source.substr(first, last + 1 - first));
    if (quoted.size() > 80) quoted = quoted.substr(0, 77) + "...";
    return path + "(" + std::to_string(line) + "," + std::to_string(first + 1) +
           "): error: " + where + ": this line of its " + stage +
           " could not be translated for OpenGL: " + quoted + "\n";
}

}  // namespace gfx::effect
