#include "game/progress/TokenString.h"

#include <utility>

TokenString::TokenString(TString initial) : text(std::move(initial)) {}

const TString& TokenString::Append(const TString& token) {
    if (!text.IsEmpty())
        text += '^';
    text += token;
    return text;
}

const TString& TokenString::AppendInt(int32_t value) {
    return Append(TString::Format("%d", value));
}

const TString& TokenString::AppendBool(const uint8_t& value) {
    return Append(TString::Format("%d", static_cast<int>(value)));
}

void TokenString::ReadToken(TString& out) {
    const uint32_t length = static_cast<uint32_t>(text.Length());
    if (position >= length) {
        out = TString("");
        // One past the end, and no further however often it is read.
        position = length + 1;
        return;
    }
    int found = text.FindFirstOf(TString("^"), static_cast<int>(position));
    const uint32_t end = found < 0 ? length : static_cast<uint32_t>(found);
    out = text.Substring(static_cast<int>(position), static_cast<int>(end - position));
    position = end + 1;
}

void TokenString::ReadInt(int32_t& out) {
    TString token;
    ReadToken(token);
    out = token.ToInt();
}

void TokenString::ReadBool(bool& out) {
    int32_t value = 0;
    ReadInt(value);
    out = value != 0;
}
