#include "framework/core/text/TString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Vector {
    uint32_t codePoint;
    std::vector<unsigned char> bytes; // empty: the encoder refuses it
};

// Every length boundary, the refused code points and the surrogates, which
// are encoded like any other code point.
const Vector kVectors[] = {
    {0x00, {0x00}},
    {0x01, {0x01}},
    {0x41, {0x41}},
    {0x7F, {0x7F}},
    {0x80, {0xC2, 0x80}},
    {0xE9, {0xC3, 0xA9}},
    {0x7FF, {0xDF, 0xBF}},
    {0x800, {0xE0, 0xA0, 0x80}},
    {0x20AC, {0xE2, 0x82, 0xAC}},
    {0xD800, {0xED, 0xA0, 0x80}},
    {0xDFFF, {0xED, 0xBF, 0xBF}},
    {0xFEFE, {0xEF, 0xBB, 0xBE}},
    {0xFEFF, {}},
    {0xFFFD, {0xEF, 0xBF, 0xBD}},
    {0xFFFE, {}},
    {0xFFFF, {}},
    {0x10000, {0xF0, 0x90, 0x80, 0x80}},
    {0x1F600, {0xF0, 0x9F, 0x98, 0x80}},
    {0x10FFFF, {0xF4, 0x8F, 0xBF, 0xBF}},
    {0x110000, {}},
    {0xFFFFFFFF, {}},
};

TEST(Utf8, Encode_BoundaryVectors) {
    for (const Vector& v : kVectors) {
        unsigned char out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        int count = EncodeUtf8(v.codePoint, out);
        ASSERT_EQ(count, static_cast<int>(v.bytes.size())) << std::hex << v.codePoint;
        EXPECT_EQ(std::vector<unsigned char>(out, out + count), v.bytes) << std::hex << v.codePoint;
        for (int i = count; i < 4; ++i) {
            EXPECT_EQ(out[i], 0xAA) << "wrote past its sequence for " << std::hex << v.codePoint;
        }
    }
}

TEST(Utf8, Decode_RoundTripsEveryEncodedVector) {
    for (const Vector& v : kVectors) {
        if (v.bytes.empty() || v.codePoint == 0) {
            continue;
        }
        std::vector<unsigned char> text = v.bytes;
        text.push_back(0);
        EXPECT_EQ(DecodeUtf8(text.data()), v.codePoint) << std::hex << v.codePoint;
        EXPECT_EQ(Utf8SequenceLength(text[0]), static_cast<int>(v.bytes.size()));
    }
}

TEST(Utf8, SequenceLength_ByLeadByte) {
    struct Case {
        unsigned char lead;
        int length;
    } cases[] = {
        {0x00, 0}, {0x01, 1}, {0x7F, 1}, {0x80, 1}, {0xBF, 1}, {0xC0, 2}, {0xDF, 2},
        {0xE0, 3}, {0xEF, 3}, {0xF0, 4}, {0xF7, 4}, {0xF8, 4}, {0xFF, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8SequenceLength(c.lead), c.length) << std::hex << int(c.lead);
    }
}

TEST(Utf8, Decode_MalformedInputGivesZero) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes; // a zero byte is appended
        uint32_t value;
    } cases[] = {
        {"empty text", {}, 0},
        {"lone continuation byte", {0xA9}, 0},
        {"lone 0x80", {0x80}, 0},
        {"continuation missing", {0xC3}, 0}, // the terminator stops it
        {"ASCII where a continuation belongs", {0xE2, 0x41, 0x41}, 0},
        {"second continuation missing", {0xE2, 0x82}, 0},
        {"four-byte lead cut short", {0xF0, 0x9F, 0x98}, 0},
        {"four-byte lead then ASCII", {0xF0, 0x41, 0x80, 0x80}, 0},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> text = c.bytes;
        text.push_back(0);
        EXPECT_EQ(DecodeUtf8(text.data()), c.value) << c.what;
    }
}

// Forms that the decoder does not reject: it computes their value as the
// offsets table gives it.
TEST(Utf8, Decode_AcceptsOverlongAndOutOfRangeForms) {
    struct Case {
        std::vector<unsigned char> bytes;
        uint32_t value;
    } cases[] = {
        {{0xC0, 0x80}, 0x00},                 // overlong zero
        {{0xC1, 0xBF}, 0x7F},                 // overlong ASCII
        {{0xE0, 0x80, 0x80}, 0x00},           // overlong three-byte form
        {{0xF4, 0x90, 0x80, 0x80}, 0x110000}, // past U+10FFFF
        {{0xC3, 0xE9}, 0xE9 + 0x40},          // second bit of the continuation not tested
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> text = c.bytes;
        text.push_back(0);
        EXPECT_EQ(DecodeUtf8(text.data()), c.value) << std::hex << int(c.bytes[0]);
    }
}

// Every lead byte followed by every byte value, terminated: the decoder
// reads no further than the terminator (ASan checks the reads).
TEST(Utf8, Decode_AllTwoByteInputsStayInsideTheirText) {
    for (int lead = 1; lead < 256; ++lead) {
        for (int next = 0; next < 256; ++next) {
            std::vector<unsigned char> text = {static_cast<unsigned char>(lead),
                                               static_cast<unsigned char>(next), 0};
            if (next == 0) {
                text.pop_back();
            }
            uint32_t value = DecodeUtf8(text.data());
            if (lead >= 0x80 && lead < 0xC0) {
                EXPECT_EQ(value, 0u);
            }
            if (lead >= 0xC0 && next < 0x80) {
                EXPECT_EQ(value, 0u);
            }
        }
    }
}

TEST(Utf8, EncodeThenDecode_EveryScalarBelowTheLimit) {
    int refused = 0;
    for (uint32_t cp = 1; cp < 0x110000; ++cp) {
        unsigned char text[5] = {};
        int count = EncodeUtf8(cp, text);
        if (count == 0) {
            ++refused;
            continue;
        }
        ASSERT_EQ(DecodeUtf8(text), cp);
    }
    EXPECT_EQ(refused, 3); // U+FEFF, U+FFFE, U+FFFF
}

} // namespace
