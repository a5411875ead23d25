#pragma once

#include "framework/core/text/TString.h"
#include "framework/core/xml/TXmlParser.h"
#include "framework/core/xml/TXmlText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One attribute of an element, in document order. Quoted is set when the
// value was written in double quotes (and is written back so).
struct TXmlAttribute {
    TString mName;
    TString mValue;
    bool mQuoted = false;
};

// An element of a data file: name, attributes, text and children. Every
// data reader of the program loads its file into a document node (a node
// without a name whose children are the file's top-level elements) and
// walks it. A node owns its children and attributes; deleting it deletes
// the subtree.
//
// The reader (TXmlParser) builds the tree through the builder's
// operations below; a subclass may override them to build another
// structure while a file is read.
class TXmlNode : public TXmlBuilder {
public:
    TXmlNode() = default;
    explicit TXmlNode(const TString& name) : mName(name) {}
    TXmlNode(const TXmlNode&) = delete;
    TXmlNode& operator=(const TXmlNode&) = delete;
    ~TXmlNode() override;

    static std::unique_ptr<TXmlNode> TXmlNodeFromName(const TString& name) {
        return std::make_unique<TXmlNode>(name);
    }

    // Creates a child of that name, appends it and returns it.
    TXmlNode* AddChild(const TString& name) override;
    // Called on the node whose content is being read when a tag closes an
    // element without further content: an end tag (the node is then the
    // element it closes) or a start tag that needs none ("<a/>", "<?xml",
    // comments). Does nothing here.
    void EndChild(const TString& token) override;
    // Appends a word of text, behind a single blank when the text is not
    // empty. Returns the new text length.
    int AppendText(const char* token, int length) override;
    void AddAttribute(const TString& name, const TString& value, bool quoted) override;

    // Reads a plain or packed XML file into this node; the file's top-level
    // elements become children. A missing or damaged file adds nothing, so
    // callers test HasChildren.
    void LoadFile(const TString& name);
    // The same for a file image in memory (plain or packed).
    void LoadBuffer(const char* data, size_t size, const char* sourceName = "memory");

    const TString& GetName() const { return mName; }
    TString GetText() const { return PublishedText(); }
    void SetText(const TString& text);
    // Hands the text built by AppendText over to the node's TString and
    // frees the builder. The reader calls it when an element's content
    // ends; reading the text does it too.
    void FinishText() override;

    bool HasChildren() const { return !mChildren.empty(); }
    size_t GetChildCount() const { return mChildren.size(); }
    TXmlNode* GetChild(size_t index) const {
        return index < mChildren.size() ? mChildren[index].get() : nullptr;
    }
    // The first child whose name is exactly this byte string, or null.
    TXmlNode* FindChild(const char* name) const;
    // Child walk: BeginChildren, then NextChild until it gives false. The
    // cursor belongs to the node, so two walks over one node must not
    // interleave.
    void BeginChildren() { mChildCursor = 0; }
    bool NextChild(TString& name, TXmlNode*& node);

    // The value of the first attribute of that name, and its quoted flag
    // when asked. Without one the value is empty, the flag is left alone and
    // the result is false.
    bool GetAttribute(TString& value, const char* name, bool* quoted = nullptr) const;
    // The value of the first attribute of that name; empty when absent.
    TString GetAttribute(const char* name) const {
        TString value;
        GetAttribute(value, name, nullptr);
        return value;
    }
    // Sets the first attribute of that name (quoted), or appends one.
    void SetAttribute(const char* name, const TString& value);
    size_t GetAttributeCount() const { return mAttributes.size(); }
    const TXmlAttribute* GetAttributeAt(size_t index) const {
        return index < mAttributes.size() ? &mAttributes[index] : nullptr;
    }

    // The node and its subtree as indented text: no declaration, no empty
    // element form; attributes one per line.
    TString ToString() const;

private:
    void WriteTo(std::string& out, int indent) const;
    const TString& PublishedText() const;

    // The text as last handed over; mTextBuilder holds the whole text while
    // words are being appended (a TString would measure itself again at
    // every append, making a long text quadratic), and mTextPending says it
    // is newer than mText.
    mutable TString mText;
    mutable std::string mTextBuilder;
    mutable bool mTextPending = false;
    int32_t mTextLength = 0;
    // Capacity reserved for serialising; grows to the last output's length
    // so that writing a similar tree again needs one allocation.
    mutable uint32_t mSizeHint = 4096;
    TString mName;
    std::vector<std::unique_ptr<TXmlNode>> mChildren;
    size_t mChildCursor = 0;
    std::vector<TXmlAttribute> mAttributes;
};
