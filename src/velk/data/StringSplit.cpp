#include "velk/data/StringSplit.h"

namespace {

TString WithoutBlanks(const TString& text) {
    TString result(text);
    result.Replace(" ", "", TString::kReplaceAll);
    return result;
}

} // namespace

void SplitString(std::vector<TString>& pieces, const TString& text, char separator) {
    pieces.clear();
    if (text.IsEmpty())
        return;
    int start = 0;
    for (int at = text.FindChar(separator, start); at >= 0; at = text.FindChar(separator, start)) {
        pieces.push_back(text.Substring(start, at - start));
        start = at + 1;
    }
    pieces.push_back(text.Substring(start));
}

void SplitInts(std::vector<int>& values, const TString& text, char separator) {
    values.clear();
    std::vector<TString> pieces;
    SplitStrings(pieces, text, separator);
    for (const TString& piece : pieces)
        values.push_back(piece.ToInt());
}

void SplitFloats(std::vector<float>& values, const TString& text) {
    values.clear();
    std::vector<TString> pieces;
    SplitString(pieces, WithoutBlanks(text), ',');
    for (const TString& piece : pieces)
        values.push_back(piece.ToFloat());
}

void SplitStrings(std::vector<TString>& pieces, const TString& text, char separator) {
    pieces.clear();
    SplitString(pieces, separator == ' ' ? text : WithoutBlanks(text), separator);
}
