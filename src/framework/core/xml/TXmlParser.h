#pragma once

#include "framework/core/text/TString.h"
#include "framework/core/xml/TGetChar.h"

// What the reader fills while it reads a file: the data file's tree
// (TXmlNode), or another structure built from the same calls.
class TXmlBuilder {
public:
    virtual ~TXmlBuilder() = default;
    // Creates a child of that name, appends it and returns it.
    virtual TXmlBuilder* AddChild(const TString& name) = 0;
    // Called on the element whose content is being read when a tag closes
    // an element without further content: an end tag (the element is then
    // the one it closes) or a start tag that needs none ("<a/>", "<?xml",
    // comments).
    virtual void EndChild(const TString& token) = 0;
    // Appends a word of text; returns the new text length.
    virtual int AppendText(const char* token, int length) = 0;
    virtual void AddAttribute(const TString& name, const TString& value, bool quoted) = 0;
    // The element's content has ended.
    virtual void FinishText() = 0;
};

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
    void Parse(TXmlBuilder& root);

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
    // The next word, quoted run or markup sign; attributeValue: the token
    // is the value after "=" (which may be quoted with apostrophes).
    Token NextToken(bool attributeValue = false);
    void ParseContent(TXmlBuilder& node, int depth);
    void ReadContent(TXmlBuilder& node, int depth);
    ElementResult ParseElement(TXmlBuilder& node, TXmlBuilder*& child);

    TGetChar& mSource;
    TString mSourceName;
    bool mStopped = false;
};
