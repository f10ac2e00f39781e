// JSON values for smdinfo's report, built with nlohmann-json.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// Members keep the order they are added in.
using Json = nlohmann::ordered_json;

// A JSON string of text given in code page 949 (converted to UTF-8).
Json JsonString(const std::string& cp949);

// value as it reads back to the same float: 9 significant digits, a whole
// number without a fraction; null for infinities and NaN, which JSON
// cannot hold.
Json JsonNumber(float value);
