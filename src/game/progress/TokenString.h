#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

// A run of values packed into one text and read back in the same order:
// integers as signed decimal, booleans as "0" or "1", separated by '^'
// with none before the first value or after the last. No escaping, so a
// value must not contain '^'. The writer and the reader agree on the
// order and kind of every value; the quest map keeps its whole record in
// one preferences value this way.
class TokenString {
public:
    // Readers start from the stored text, writers from the empty text.
    explicit TokenString(TString text = TString(""));

    // Appends one value: '^' first unless the text is still empty.
    const TString& Append(const TString& token);
    const TString& AppendInt(int32_t value);
    const TString& AppendBool(const uint8_t& value);

    // The next value as text; past the end, the empty text. The position
    // moves one past the separator found (or past the end), never back.
    void ReadToken(TString& out);
    // The token's integer prefix (TString::ToInt): 0 for an empty token.
    void ReadInt(int32_t& out);
    void ReadBool(bool& out);

    TString text;
    // Byte index at which the next read starts.
    uint32_t position = 0;
};
