#include "framework/core/xml/TXmlParser.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlText.h"

#include <cstring>
#include <string>

namespace {

bool IsXmlSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsWordEnd(unsigned char c) {
    return IsXmlSpace(c) || c == '<' || c == '>' || c == '=';
}

bool IsSpecialElement(const TString& name) {
    const char* text = name.CStr();
    return std::strcmp(text, "?xml") == 0 || std::strcmp(text, "!DOCTYPE") == 0 ||
           std::strncmp(text, "!--", 3) == 0;
}

} // namespace

TXmlParser::TXmlParser(TGetChar& source, const char* sourceName)
    : mSource(source), mSourceName(sourceName ? sourceName : "") {}

void TXmlParser::Parse(TXmlBuilder& root) {
    mStopped = false;
    ParseContent(root, 0);
}

// One character: a byte, or a lead byte from 0xC0 up with the 1 to 3 bytes
// it announces (not checked as continuation bytes). Returns the byte count,
// 0 at the end of the data; a character cut by the end is not delivered.
int TXmlParser::ReadChar(unsigned char bytes[4]) {
    const int lead = mSource.GetByte();
    if (lead < 0) {
        return 0;
    }
    bytes[0] = static_cast<unsigned char>(lead);
    // A 0 byte is a character of its own here.
    const int count = lead == 0 ? 1 : Utf8SequenceLength(static_cast<unsigned char>(lead));
    for (int i = 1; i < count; ++i) {
        const int next = mSource.GetByte();
        if (next < 0) {
            return 0;
        }
        bytes[i] = static_cast<unsigned char>(next);
    }
    return count;
}

void TXmlParser::UngetChar(const unsigned char bytes[4], int count) {
    for (int i = count - 1; i >= 0; --i) {
        mSource.Unget(bytes[i]);
    }
}

TXmlParser::Token TXmlParser::NextToken(bool attributeValue) {
    Token token;
    unsigned char ch[4];
    int count = 0;
    do {
        count = ReadChar(ch);
        if (count == 0) {
            token.end = true;
            return token;
        }
    } while (IsXmlSpace(ch[0]));

    std::string raw;
    if (ch[0] == '<' || ch[0] == '>' || ch[0] == '=') {
        token.text = TString(reinterpret_cast<const char*>(ch), 1);
        return token;
    }
    // An attribute's value may be quoted with apostrophes too, as XML
    // allows; in text an apostrophe is a letter like any other.
    if (ch[0] == '"' || (attributeValue && ch[0] == '\'')) {
        const unsigned char quote = ch[0];
        token.quoted = true;
        while ((count = ReadChar(ch)) != 0 && ch[0] != quote) {
            raw.append(reinterpret_cast<const char*>(ch), static_cast<size_t>(count));
        }
    } else {
        raw.append(reinterpret_cast<const char*>(ch), static_cast<size_t>(count));
        int lastCount = count;
        while ((count = ReadChar(ch)) != 0) {
            if (IsWordEnd(ch[0])) {
                UngetChar(ch, count);
                // "name/>" gives the "/" back so that it reads as its own word.
                if (ch[0] == '>' && raw.size() > 1 && lastCount == 1 && raw.back() == '/') {
                    mSource.Unget('/');
                    raw.pop_back();
                }
                break;
            }
            raw.append(reinterpret_cast<const char*>(ch), static_cast<size_t>(count));
            lastCount = count;
        }
    }
    token.text = DecodeXmlEntities(raw.data(), raw.size(), &token.entityLed);
    return token;
}

void TXmlParser::ParseContent(TXmlBuilder& node, int depth) {
    ReadContent(node, depth);
    // The element is complete: its text is handed over in one piece.
    node.FinishText();
}

void TXmlParser::ReadContent(TXmlBuilder& node, int depth) {
    while (!mStopped) {
        Token token = NextToken();
        if (token.end) {
            return;
        }
        if (token.IsMarkup('<')) {
            TXmlBuilder* child = nullptr;
            const ElementResult result = ParseElement(node, child);
            if (result == ElementResult::kEndTag) {
                return;
            }
            if (result == ElementResult::kOpen && child) {
                if (depth >= kMaxXmlDepth) {
                    LogPrintf("XML '%s': elements nested deeper than %d levels, rest of the file "
                              "skipped",
                              mSourceName.CStr(), kMaxXmlDepth);
                    mStopped = true;
                    return;
                }
                ParseContent(*child, depth + 1);
            }
            continue;
        }
        node.AppendText(token.text.CStr(), token.text.Length());
    }
}

TXmlParser::ElementResult TXmlParser::ParseElement(TXmlBuilder& node, TXmlBuilder*& child) {
    child = nullptr;
    Token token = NextToken();
    if (token.end || token.IsMarkup('>')) {
        // "<>" ends the tag in its first state: no element.
        return ElementResult::kDone;
    }
    if (token.IsMarkup('/')) {
        // An end tag closes the open element whatever name it carries; the
        // rest of the tag up to ">" is passed over.
        node.EndChild(token.text);
        do {
            token = NextToken();
        } while (!token.end && !token.IsMarkup('>'));
        return ElementResult::kEndTag;
    }

    const TString elementName = token.text;
    child = node.AddChild(elementName);
    const bool special = IsSpecialElement(elementName);
    Token pendingName;
    bool hasPendingName = false;
    bool inValue = false;
    while (true) {
        token = NextToken(inValue);
        if (token.end) {
            return ElementResult::kDone;
        }
        if (token.IsMarkup('>')) {
            const bool closed =
                special ||
                (hasPendingName && (pendingName.IsMarkup('/') || pendingName.IsMarkup('?')));
            if (closed) {
                node.EndChild(elementName);
                return ElementResult::kDone;
            }
            return ElementResult::kOpen;
        }
        if (inValue) {
            if (child) {
                child->AddAttribute(hasPendingName ? pendingName.text : TString(), token.text,
                                    token.quoted);
            }
            pendingName = Token();
            hasPendingName = false;
            inValue = false;
        } else if (token.IsMarkup('=')) {
            inValue = true;
        } else {
            pendingName = token;
            hasPendingName = true;
        }
    }
}
