// xmltool: looks into the program's XML data files.
//
//   xmltool tree FILE                 the element tree of a plain or packed file
//   xmltool write FILE                the file as the program writes it back
//   xmltool label FILE LABEL [ARG...] a label of a string file, expanded with
//                                     up to five arguments
//   xmltool labels FILE               every label of a string file with its
//                                     stored text
//
// FILE is a disk path, or a logical name that starts with "::". "label"
// exits with 1 (after printing the marker "#####") when the label is
// missing or one of its escapes fails.

#include "framework/core/xml/TPackedXml.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/core/xml/TXmlNode.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

TString LogicalName(const char* path) {
    return std::strncmp(path, "::", 2) == 0 ? TString(path)
                                            : TString(("::" + std::string(path)).c_str());
}

// Control and non-ASCII bytes are shown as \xNN so that every byte is seen.
std::string Visible(const TString& text) {
    std::string out;
    for (const unsigned char c : text.View()) {
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void PrintTree(const TXmlNode& node, int depth) {
    for (size_t i = 0; i < node.GetChildCount(); ++i) {
        const TXmlNode* child = node.GetChild(i);
        std::string line(static_cast<size_t>(depth) * 2, ' ');
        line.append("<").append(Visible(child->GetName())).append(">");
        for (size_t a = 0; a < child->GetAttributeCount(); ++a) {
            const TXmlAttribute* attribute = child->GetAttributeAt(a);
            line.append(" ").append(Visible(attribute->mName)).append("=");
            if (attribute->mQuoted) {
                line.append("\"").append(Visible(attribute->mValue)).append("\"");
            } else {
                line.append(Visible(attribute->mValue));
            }
        }
        if (!child->GetText().IsEmpty()) {
            line += " : " + Visible(child->GetText());
        }
        std::printf("%s\n", line.c_str());
        PrintTree(*child, depth + 1);
    }
}

bool LoadDocument(const char* path, TXmlNode& document) {
    std::vector<char> text;
    if (!ReadXmlFile(LogicalName(path), text)) {
        std::fprintf(stderr, "xmltool: cannot read '%s' (missing, or damaged packed data)\n", path);
        return false;
    }
    document.LoadBuffer(text.data(), text.size(), path);
    return true;
}

bool LoadTable(const char* path, TStringTable& table) {
    if (!table.LoadFile(LogicalName(path))) {
        std::fprintf(stderr, "xmltool: cannot read '%s' (missing, or damaged packed data)\n", path);
        return false;
    }
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: xmltool tree FILE\n"
                         "       xmltool write FILE\n"
                         "       xmltool label FILE LABEL [ARG...]\n"
                         "       xmltool labels FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::string command = argv[1];
    const char* path = argv[2];
    if (command == "tree" || command == "write") {
        TXmlNode document;
        if (!LoadDocument(path, document)) {
            return 1;
        }
        if (command == "tree") {
            PrintTree(document, 0);
            if (!document.GetText().IsEmpty()) {
                std::printf("(text outside elements: %s)\n", Visible(document.GetText()).c_str());
            }
        } else {
            for (size_t i = 0; i < document.GetChildCount(); ++i) {
                std::fputs(document.GetChild(i)->ToString().CStr(), stdout);
            }
        }
        return 0;
    }
    if (command == "label" && argc >= 4) {
        TStringTable table;
        if (!LoadTable(path, table)) {
            return 1;
        }
        TString args[TStringTable::kArgumentCount];
        for (int i = 4; i < argc && i - 4 < static_cast<int>(TStringTable::kArgumentCount); ++i) {
            args[i - 4] = TString(argv[i]);
        }
        const TString label(argv[3]);
        TString text;
        const bool found = table.Expand(text, label, args[0], args[1], args[2], args[3], args[4]);
        std::printf("%s\n", text.CStr());
        if (!found) {
            std::fprintf(stderr, "xmltool: label '%s' is missing or one of its escapes failed\n",
                         label.CStr());
            return 1;
        }
        return 0;
    }
    if (command == "labels") {
        TStringTable table;
        if (!LoadTable(path, table)) {
            return 1;
        }
        std::vector<TString> labels;
        table.GetLabels(labels);
        for (const TString& label : labels) {
            std::printf("%s\t%s\n", Visible(label).c_str(),
                        Visible(*table.FindStored(label)).c_str());
        }
        return 0;
    }
    return Usage();
}
