#include "framework/core/xml/TXmlText.h"

#include <cstring>
#include <string>

namespace {

struct NamedEntity {
    const char* text;
    size_t length;
    char value;
};

const NamedEntity kNamedEntities[] = {
    {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''},
};

} // namespace

TString EscapeXmlText(const char* text) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p;
         ++p) {
        const unsigned char c = *p;
        if (c < 0x20 || c > 0x7F) {
            out += "&#";
            out += std::to_string(static_cast<unsigned>(c));
            out += ';';
            continue;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += static_cast<char>(c);
            break;
        }
    }
    return TString(out.data(), out.size());
}

TString DecodeXmlEntities(const char* data, size_t count, bool* entityLed) {
    if (entityLed) {
        *entityLed = false;
    }
    if (!data || count == 0) {
        return TString();
    }
    if (!std::memchr(data, '&', count) && !std::memchr(data, 0, count)) {
        return TString(data, count);
    }
    std::string out;
    out.reserve(count);
    bool led = false;
    // Where the next ";" lies, remembered between references: a word full of
    // "&#" without any ";" would otherwise be searched to its end at every
    // one of them. count means there is none after the last search's start.
    size_t semicolon = 0;
    bool semicolonKnown = false;
    size_t i = 0;
    while (i < count) {
        const char c = data[i];
        if (c == 0) {
            ++i;
            continue;
        }
        if (c != '&') {
            out += c;
            ++i;
            continue;
        }
        const size_t start = i;
        const size_t rest = count - i;
        bool replaced = false;
        for (const NamedEntity& entity : kNamedEntities) {
            if (rest >= entity.length && std::memcmp(data + i, entity.text, entity.length) == 0) {
                out += entity.value;
                i += entity.length;
                replaced = true;
                break;
            }
        }
        if (!replaced && rest >= 2 && data[i + 1] == '#') {
            if (!semicolonKnown || semicolon < i + 2) {
                const void* found = std::memchr(data + i + 2, ';', rest - 2);
                semicolon =
                    found ? static_cast<size_t>(static_cast<const char*>(found) - data) : count;
                semicolonKnown = true;
            }
            if (semicolon < count) {
                const size_t end = semicolon;
                unsigned value = 0;
                for (size_t d = i + 2; d < end && data[d] >= '0' && data[d] <= '9'; ++d) {
                    value = (value * 10 + static_cast<unsigned>(data[d] - '0')) % 256;
                }
                // The byte 0 cannot live in a TString; the reference is dropped.
                if (value != 0) {
                    out += static_cast<char>(value);
                }
                i = end + 1;
                replaced = true;
            }
        }
        if (replaced && start == 0) {
            led = true;
        }
        if (!replaced) {
            out += c;
            ++i;
        }
    }
    if (entityLed) {
        *entityLed = led;
    }
    return TString(out.data(), out.size());
}
