// Runs the bytes as a program of TString operations and repeats each on a
// std::string model; the texts must agree after every step. Also feeds the
// bytes to the UTF-8 decoder and to the command line's option parser.

#include "framework/core/settings/TCommandLine.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/text/TString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    bool Empty() const { return mAt >= mSize; }
    uint8_t Byte() { return mAt < mSize ? mData[mAt++] : 0; }
    // A signed small number: -1 about one time in eight.
    int Index() {
        uint8_t b = Byte();
        return (b & 7) == 7 ? -1 : b >> 3;
    }
    // Up to 7 bytes of text without zero bytes.
    std::string Text() {
        int length = Byte() & 7;
        std::string text;
        for (int i = 0; i < length && !Empty(); ++i) {
            char c = static_cast<char>(Byte());
            text += c ? c : 'z';
        }
        return text;
    }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mAt = 0;
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The model's Find: case-sensitive, forward or backward as TString counts.
int ModelFind(const std::string& text, const std::string& needle, bool backwards, int start) {
    int length = static_cast<int>(text.size());
    int needleLength = static_cast<int>(needle.size());
    if (length == 0 || start < 0 || start >= length || needleLength > length) {
        return -1;
    }
    int positions = length - needleLength + 1;
    if (backwards) {
        for (int i = positions - 1 - start; i >= 0; --i) {
            if (text.compare(i, needleLength, needle) == 0) {
                return i;
            }
        }
        return -1;
    }
    for (int i = start; i < positions; ++i) {
        if (text.compare(i, needleLength, needle) == 0) {
            return i;
        }
    }
    return -1;
}

void RunProgram(Input& in) {
    TString ours;
    std::string model;
    TString shared; // a copy that must never change behind our back
    std::string sharedModel;
    while (!in.Empty()) {
        switch (in.Byte() % 10) {
        case 0: {
            std::string text = in.Text();
            ours += TString(text.c_str());
            model += text;
            break;
        }
        case 1: {
            char c = static_cast<char>(in.Byte());
            ours += c;
            if (c) {
                model += c;
            }
            break;
        }
        case 2: {
            int position = in.Index();
            std::string text = in.Text();
            bool terminate = in.Byte() & 1;
            int length = static_cast<int>(model.size());
            int at = (position < 0 || position > length) ? length : position;
            Check(ours.Write(position, text.data(), static_cast<int>(text.size()), terminate) ==
                  at + static_cast<int>(text.size()));
            model.replace(at, std::min(text.size(), model.size() - at), text);
            if (terminate) {
                model.resize(at + text.size());
            }
            break;
        }
        case 3: {
            int start = in.Index();
            int count = in.Index();
            ours.Erase(start, count);
            if (start >= 0 && start < static_cast<int>(model.size())) {
                model.erase(start, count < 0 ? std::string::npos : static_cast<size_t>(count));
            }
            break;
        }
        case 4: {
            int start = in.Index();
            int count = in.Index();
            TString part = ours.Substring(start, count);
            int from = std::max(start, 0);
            std::string expected;
            if (from < static_cast<int>(model.size()) && count != 0) {
                expected = model.substr(from, count < 0 ? std::string::npos : count);
            }
            Check(expected == part.CStr());
            break;
        }
        case 5: {
            std::string needle = in.Text();
            bool backwards = in.Byte() & 1;
            int start = in.Index();
            int found = ours.Find(TString(needle.c_str()),
                                  backwards ? TString::kBackwards : TSearchFlags::kNone, start);
            Check(found == ModelFind(model, needle, backwards, start));
            break;
        }
        case 6: {
            // Replace in every mode: no model, but the text must stay a
            // valid string and a shared copy must not change.
            std::string needle = in.Text();
            std::string replacement = in.Text();
            int flags = in.Byte() & 7;
            int start = in.Index();
            ours.Replace(TString(needle.c_str()), TString(replacement.c_str()),
                         static_cast<TSearchFlags>(flags), start);
            model = ours.CStr();
            break;
        }
        case 7:
            shared = ours;
            sharedModel = model;
            break;
        case 8:
            ours.ToLower();
            for (char& c : model) {
                if (c >= 'A' && c <= 'Z') {
                    c = static_cast<char>(c - 'A' + 'a');
                }
            }
            break;
        case 9:
            ours.Reserve(static_cast<uint32_t>(ours.Capacity() + in.Byte()));
            break;
        }
        Check(model == ours.CStr());
        Check(static_cast<int>(model.size()) == ours.Length());
        Check(ours.Capacity() == 0 || ours.Capacity() > static_cast<uint32_t>(ours.Length()));
        Check(sharedModel == shared.CStr());
        // Replacing all matches can grow the text sevenfold a step: keep
        // it small so each input stays quick.
        if (model.size() > 4096) {
            ours = TString();
            model.clear();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input program(data, size);
    RunProgram(program);

    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str(); // up to the first zero byte, as a TString holds it
    for (size_t i = 0; i < text.size(); ++i) {
        DecodeUtf8(reinterpret_cast<const unsigned char*>(text.c_str() + i));
    }
    TCommandLine::StoreOptionPairs(TString(text.c_str()));
    TCommandLine line(TString(text.c_str()));
    line.GetCheatCode();
    line.GetWord("-url=", 16);
    ClearSettings();
    return 0;
}
