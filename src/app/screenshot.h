// Saving a frame's picture (--screenshot) as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgba: width × height pixels, rows from the top down. Written as 8-bit RGB
// (the picture is opaque; an alpha channel would only make viewers show
// whatever the device left there). False, with *error naming the file and
// the reason, when it cannot be written. With existed given, a file that is
// already there is kept: false, with *existed true.
bool SavePng(const std::string& path, uint32_t width, uint32_t height,
             const std::vector<uint8_t>& rgba, std::string* error, bool* existed = nullptr);

// rgba as above, written as 8-bit RGBA (a thumbnail: transparent where
// nothing was drawn). Written to a new file in path's folder and renamed to
// path once whole, so a failure leaves no file and never a partial one.
bool SaveRgbaPng(const std::string& path, uint32_t width, uint32_t height,
                 const std::vector<uint8_t>& rgba, std::string* error);
