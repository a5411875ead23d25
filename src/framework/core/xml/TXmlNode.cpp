#include "framework/core/xml/TXmlNode.h"

#include "framework/core/xml/TGetChar.h"
#include "framework/core/xml/TPackedXml.h"
#include "framework/core/xml/TXmlParser.h"

#include <algorithm>
#include <climits>
#include <cstring>

TXmlNode::~TXmlNode() = default;

TXmlNode* TXmlNode::AddChild(const TString& name) {
    mChildren.push_back(std::make_unique<TXmlNode>(name));
    return mChildren.back().get();
}

void TXmlNode::EndChild(const TString&) {}

int TXmlNode::AppendText(const char* token, int length) {
    if (!mTextPending && mTextLength > 0) {
        // Appending again after the text was handed over (or set).
        mTextBuilder.assign(mText.CStr(), static_cast<size_t>(mTextLength));
    }
    const size_t bytes = token && length > 0 ? strnlen(token, static_cast<size_t>(length)) : 0;
    if (mTextBuilder.size() + bytes + 1 > static_cast<size_t>(INT32_MAX)) {
        return mTextLength; // the length must stay a 32-bit count
    }
    if (mTextLength > 0) {
        mTextBuilder += ' ';
    }
    mTextBuilder.append(token ? token : "", bytes);
    mTextLength = static_cast<int32_t>(mTextBuilder.size());
    mTextPending = true;
    return mTextLength;
}

const TString& TXmlNode::PublishedText() const {
    if (mTextPending) {
        mText = TString(mTextBuilder.data(), mTextBuilder.size());
        mTextPending = false;
        std::string().swap(mTextBuilder);
    }
    return mText;
}

void TXmlNode::FinishText() {
    PublishedText();
}

void TXmlNode::AddAttribute(const TString& name, const TString& value, bool quoted) {
    mAttributes.push_back(TXmlAttribute{name, value, quoted});
}

void TXmlNode::SetText(const TString& text) {
    mText = text;
    mTextLength = text.Length();
    mTextPending = false;
    std::string().swap(mTextBuilder);
}

void TXmlNode::LoadFile(const TString& name) {
    std::vector<char> data;
    if (!ReadXmlFile(name, data)) {
        return;
    }
    TGetCharString source(data.data(), data.size());
    TXmlParser(source, name.CStr()).Parse(*this);
}

void TXmlNode::LoadBuffer(const char* data, size_t size, const char* sourceName) {
    std::vector<char> text;
    if (!ReadXmlBuffer(data, size, text, sourceName)) {
        return;
    }
    TGetCharString source(text.data(), text.size());
    TXmlParser(source, sourceName).Parse(*this);
}

TXmlNode* TXmlNode::FindChild(const char* name) const {
    for (const auto& child : mChildren) {
        if (std::strcmp(child->mName.CStr(), name ? name : "") == 0) {
            return child.get();
        }
    }
    return nullptr;
}

bool TXmlNode::NextChild(TString& name, TXmlNode*& node) {
    if (mChildCursor >= mChildren.size()) {
        return false;
    }
    node = mChildren[mChildCursor++].get();
    name = node->mName;
    return true;
}

bool TXmlNode::GetAttribute(TString& value, const char* name, bool* quoted) const {
    for (const TXmlAttribute& attribute : mAttributes) {
        if (std::strcmp(attribute.mName.CStr(), name ? name : "") == 0) {
            value = attribute.mValue;
            if (quoted) {
                *quoted = attribute.mQuoted;
            }
            return true;
        }
    }
    value = TString();
    return false;
}

void TXmlNode::SetAttribute(const char* name, const TString& value) {
    for (TXmlAttribute& attribute : mAttributes) {
        if (std::strcmp(attribute.mName.CStr(), name ? name : "") == 0) {
            attribute.mValue = value;
            attribute.mQuoted = true;
            return;
        }
    }
    mAttributes.push_back(TXmlAttribute{TString(name ? name : ""), value, true});
}

TString TXmlNode::ToString() const {
    std::string out;
    out.reserve(mSizeHint);
    WriteTo(out, 0);
    if (out.size() > mSizeHint) {
        mSizeHint = static_cast<uint32_t>(out.size() + 1);
    }
    return TString(out.data(), out.size());
}

void TXmlNode::WriteTo(std::string& out, int indent) const {
    const std::string pad(static_cast<size_t>(indent), ' ');
    const std::string attributePad(static_cast<size_t>(indent + 4), ' ');
    out += pad;
    out += '<';
    out += mName.CStr();
    for (const TXmlAttribute& attribute : mAttributes) {
        out += '\n';
        out += attributePad;
        out += EscapeXmlText(attribute.mName.CStr()).CStr();
        out += '=';
        if (attribute.mQuoted) {
            out += '"';
        }
        out += EscapeXmlText(attribute.mValue.CStr()).CStr();
        if (attribute.mQuoted) {
            out += '"';
        }
    }
    out += ">\n";
    if (!PublishedText().IsEmpty()) {
        out += pad;
        out += EscapeXmlText(mText.CStr()).CStr();
        out += '\n';
    }
    for (const auto& child : mChildren) {
        child->WriteTo(out, indent + 4);
    }
    out += pad;
    out += "</";
    out += EscapeXmlText(mName.CStr()).CStr();
    out += ">\n";
}
