// JSON values for smdinfo's report, built with nlohmann-json.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// Members keep the order they are added in.
using Json = nlohmann::ordered_json;

// A JSON string of text from a file or a message box: UTF-8 as it is,
// anything else read as code page 949 and converted.
Json JsonString(const std::string& text);

// value as it reads back to the same float: 9 significant digits, a whole
// number without a fraction; null for infinities and NaN, which JSON
// cannot hold.
Json JsonNumber(float value);
