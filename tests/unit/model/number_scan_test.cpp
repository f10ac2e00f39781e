// The parser's number fields against the C library's sscanf on the same
// text: the same characters taken and the same value, for "%d" and "%f".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "model/smd/number_scan.h"

namespace {

struct Scan {
    bool read = false;
    int consumed = 0;
    float value = 0.0f;
};

Scan Library(const std::string& text) {
    Scan scan;
    int consumed = -1;
    scan.read = std::sscanf(text.c_str(), "%f%n", &scan.value, &consumed) == 1;
    scan.consumed = consumed;
    return scan;
}

Scan Ours(const std::string& text) {
    Scan scan;
    const char* p = text.data();
    const char* begin;
    scan.read = smd::ScanFloat(&p, text.data() + text.size(), &scan.value, &begin);
    scan.consumed = int(p - text.data());
    return scan;
}

void ExpectSameFloat(const std::string& text) {
    Scan expected = Library(text);
    Scan actual = Ours(text);
    ASSERT_EQ(actual.read, expected.read) << '"' << text << '"';
    if (!expected.read) return;
    EXPECT_EQ(actual.consumed, expected.consumed) << '"' << text << '"';
    if (std::isnan(expected.value)) {
        EXPECT_TRUE(std::isnan(actual.value)) << '"' << text << '"';
    } else {
        EXPECT_EQ(std::memcmp(&actual.value, &expected.value, sizeof(float)), 0)
            << '"' << text << "\": " << actual.value << " vs " << expected.value;
    }
}

TEST(NumberScan, FloatsEndAndRoundWhereSscanfEndsAndRoundsThem) {
    // Cases where a scanner built on strtof or from_chars alone would part
    // from sscanf: a dangling exponent is taken ("1e+" reads 1 and takes
    // three characters), "0x" needs a digit or a point, "nan(...)" stops
    // after "nan", "infinit" is no number, one point and one sign only.
    for (const char* text : {"1e",
                             "1e+",
                             "1e-x",
                             "1ee5",
                             "1.e3",
                             "1.5.3",
                             "0x",
                             "0x.",
                             "0x1p",
                             "0x1.8p1z",
                             "0X1P-1",
                             "0xg",
                             "00x1",
                             "-0x1p1",
                             "0x1e+5",
                             "nan",
                             "-NaN(1)",
                             "inf",
                             "INFINITY",
                             "infinit",
                             "infx",
                             "in",
                             "+.5",
                             "+-1",
                             "-+1",
                             "- 5",
                             "+",
                             ".",
                             ".e1",
                             "e5",
                             "-0",
                             "1e40",
                             "-1e40",
                             "1e-50",
                             "1e-40",
                             "1.4e-45",
                             "3.4028235e38",
                             "3.4028236e38",
                             "16777217",
                             "0.100000001490116119384765625",
                             "123456789012345678901234567890",
                             "  \t-12.5abc",
                             "0.000000",
                             "-0.946777",
                             "1.0000000596046448"})
        ExpectSameFloat(text);

    // Random text over the characters numbers are made of.
    std::mt19937 random(7);
    const char alphabet[] = "0123456789012345678901234567890123456789..--++eExXpPabfinyt ";
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        int length = 1 + int(random() % 14);
        for (int k = 0; k < length; ++k) text += alphabet[random() % (sizeof(alphabet) - 1)];
        ExpectSameFloat(text);
        if (HasFatalFailure()) return;
    }
    // Printed floats of every magnitude, so that every rounding path is met.
    for (int i = 0; i < 200000; ++i) {
        uint32_t bits = uint32_t(random());
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        if (!std::isfinite(value)) continue;
        char text[64];
        static const char* kFormats[] = {"%.9g", "%f", "%.3f", "%.17g", "%e", "%.6e"};
        std::snprintf(text, sizeof(text), kFormats[i % 6], double(value));
        ExpectSameFloat(text);
        if (HasFatalFailure()) return;
    }
}

TEST(NumberScan, IntegersReadLikeSscanfAndReportValuesOutsideInt) {
    struct Case {
        const char* text;
        bool read;
        int64_t value;
        int consumed;
    };
    // sscanf stores 4294967296 as 0 and 2147483648 as -2147483648; the
    // parser keeps the value so that the line can be refused.
    const Case cases[] = {{"5", true, 5, 1},
                          {"+5", true, 5, 2},
                          {"-5", true, -5, 2},
                          {"  007x", true, 7, 5},
                          {"1.5", true, 1, 1},
                          {"0x10", true, 0, 1},
                          {"+-5", false, 0, 0},
                          {"- 5", false, 0, 0},
                          {"-", false, 0, 0},
                          {"", false, 0, 0},
                          {"x1", false, 0, 0},
                          {"2147483647", true, 2147483647, 10},
                          {"-2147483648", true, -2147483648LL, 11},
                          {"2147483648", true, 2147483648LL, 10},
                          {"4294967296", true, 4294967296LL, 10},
                          {"99999999999999999999999", true, int64_t(1) << 62, 23}};
    for (const Case& c : cases) {
        const char* p = c.text;
        smd::ScannedInt number;
        bool read = smd::ScanInt(&p, c.text + std::strlen(c.text), &number);
        ASSERT_EQ(read, c.read) << c.text;
        if (!read) continue;
        EXPECT_EQ(number.value, c.value) << c.text;
        EXPECT_EQ(int(p - c.text), c.consumed) << c.text;
        int library = 0;
        int consumed = 0;
        ASSERT_EQ(std::sscanf(c.text, "%d%n", &library, &consumed), 1) << c.text;
        EXPECT_EQ(consumed, c.consumed) << c.text;
        if (number.FitsInt()) {
            EXPECT_EQ(number.value, library) << c.text;
        }
    }
}

}  // namespace
