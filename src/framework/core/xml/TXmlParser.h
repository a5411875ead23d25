#pragma once

#include "framework/core/text/TString.h"
#include "framework/core/xml/TGetChar.h"

class TXmlNode;

// The token-driven reader of data files. It is deliberately not a
// conforming XML parser; data files are written for these rules:
//  - tokens are "<", ">", "=", double-quoted runs (quotes dropped, inner
//    blanks kept) and bare words ending at white space, "<", ">" or "=";
//    a word ending in "/" right before ">" gives the "/" back, so "<a/>"
//    reads as "<", "a", "/", ">";
//  - bytes from 0xC0 up start a character of 2 to 4 bytes that is read
//    whole; delimiters are tested on its first byte only;
//  - entities and decimal references are decoded in every token; a token
//    whose first byte came from an entity is never markup;
//  - text is the element's words joined by single blanks;
//  - an end tag closes the innermost open element whatever its name;
//  - "<?xml", "<!DOCTYPE" and comments become childless elements ("!--"
//    plus the comment's first word) whose words read as attributes.
// Nesting stops at kMaxXmlDepth open elements: the rest of the file is
// skipped with a log line, so a hostile file cannot exhaust the stack.
class TXmlParser {
public:
    static constexpr int kMaxXmlDepth = 256;

    TXmlParser(TGetChar& source, const char* sourceName);

    // Reads the whole source as the content of root.
    void Parse(TXmlNode& root);

private:
    struct Token {
        TString text;
        bool quoted = false;
        bool entityLed = false;
        bool end = false; // the end of the data
        bool IsMarkup(char c) const { return !end && !entityLed && text.CStr()[0] == c; }
    };
    enum class ElementResult { kDone, kOpen, kEndTag };

    int ReadChar(unsigned char bytes[4]);
    void UngetChar(const unsigned char bytes[4], int count);
    Token NextToken();
    void ParseContent(TXmlNode& node, int depth);
    void ReadContent(TXmlNode& node, int depth);
    ElementResult ParseElement(TXmlNode& node, TXmlNode*& child);

    TGetChar& mSource;
    TString mSourceName;
    bool mStopped = false;
};
