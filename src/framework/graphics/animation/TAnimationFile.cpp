#include "framework/graphics/animation/TAnimationFile.h"

#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileData.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/core/xml/TXmlText.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A decimal number at the front of text (after blanks and a "+"); 0 when
// there is none. Reads the same whatever the locale.
bool ParseFloat(const char*& text, float& value) {
    const char* p = text;
    while (IsBlank(*p)) {
        ++p;
    }
    if (*p == '+') {
        ++p;
    }
    const char* end = p + std::strlen(p);
    auto result = std::from_chars(p, end, value);
    if (result.ec == std::errc::invalid_argument || result.ptr == p) {
        return false;
    }
    if (result.ec == std::errc::result_out_of_range) {
        value = 0.0f;
    }
    text = result.ptr;
    return true;
}

float ParseAlpha(const TString& text) {
    const char* p = text.CStr();
    float value = 0.0f;
    return ParseFloat(p, value) ? value : 0.0f;
}

// Up to six numbers separated by blanks, read in order until the text ends
// or stops being numbers.
void ParseTransform(const TString& text, float (&transform)[6]) {
    const char* p = text.CStr();
    for (float& value : transform) {
        float read = 0.0f;
        if (!ParseFloat(p, read)) {
            return;
        }
        value = read;
    }
}

TString Attribute(const TXmlNode& node, const char* name) {
    return node.GetAttribute(name);
}

bool ReadWholeFile(const TString& fileName, std::vector<uint8_t>& bytes) {
    TFile file;
    if (!file.Open(fileName.CStr(), kFileReadBinary)) {
        return false;
    }
    const int32_t size = file.GetSize();
    if (size < 0) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    const int32_t got = size > 0 ? file.Read(bytes.data(), size) : 0;
    if (got < 0) {
        return false;
    }
    bytes.resize(static_cast<size_t>(got));
    return true;
}

// Reads the ".anm" fields with bounds: every read past the end marks the
// reader failed and yields zero, so a damaged file cannot be read past.
class AnmReader {
public:
    AnmReader(const uint8_t* bytes, size_t size) : mBytes(bytes), mSize(size) {}

    size_t Remaining() const { return mSize - mPos; }
    bool Failed() const { return mFailed; }

    bool Take(void* out, size_t count) {
        if (mFailed || count > Remaining()) {
            mFailed = true;
            std::memset(out, 0, count);
            return false;
        }
        std::memcpy(out, mBytes + mPos, count);
        mPos += count;
        return true;
    }
    int32_t Int() {
        uint8_t b[4];
        Take(b, 4);
        return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                    static_cast<uint32_t>(b[2]) << 16 |
                                    static_cast<uint32_t>(b[3]) << 24);
    }
    float Float() {
        const int32_t bits = Int();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    TString String() {
        const int32_t length = Int();
        if (length <= 0 || mFailed) {
            return TString("");
        }
        if (static_cast<size_t>(length) > Remaining()) {
            mFailed = true;
            return TString("");
        }
        TString text(reinterpret_cast<const char*>(mBytes + mPos), static_cast<size_t>(length));
        mPos += static_cast<size_t>(length);
        return text;
    }
    // True when the next four bytes are the tag (and steps over them).
    bool Tag(const char* tag) {
        if (mFailed || Remaining() < 4 || std::memcmp(mBytes + mPos, tag, 4) != 0) {
            return false;
        }
        mPos += 4;
        return true;
    }

private:
    const uint8_t* mBytes;
    size_t mSize;
    size_t mPos = 0;
    bool mFailed = false;
};

// Smallest stored size of a frame and of an anchor, to refuse counts that
// the data cannot hold before anything is allocated for them.
constexpr size_t kMinFrameBytes = 6 * 4 + 6 * 4 + 4 + 4;
constexpr size_t kAnchorBytes = 4 + 4 + 4;

bool AnmFailure(const TString& assetName, const char* what) {
    LogPrintf("Animation %s is damaged: %s", assetName.CStr(), what);
    return false;
}

// Every frame must lie in the image (in the declared image size when the
// file gives one); a frame outside it is logged and fails the read.
bool FramesInsideImage(const TAnimationData& data, const char* assetName) {
    const int32_t outside = data.FindFrameOutside(data.mImageWidth, data.mImageHeight);
    if (outside < 0) {
        return true;
    }
    const TAnimationFrame& frame = data.mFrames[static_cast<size_t>(outside)];
    LogPrintf("Animation %s: frame %d (x %d, y %d, w %d, h %d) leaves its image of %d x %d",
              assetName, outside + 1, frame.mX, frame.mY, frame.mW, frame.mH, data.mImageWidth,
              data.mImageHeight);
    return false;
}

bool NoFrames(const char* assetName) {
    LogPrintf("Animation %s does not contain any frames!", assetName);
    return false;
}

class AnmWriter {
public:
    void Tag(const char* tag) { mOut.append(tag, 4); }
    void Int(int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            mOut += static_cast<char>((bits >> shift) & 0xFF);
        }
    }
    void Float(float value) {
        int32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Int(bits);
    }
    void String(const TString& text) {
        Int(text.Length());
        mOut.append(text.CStr(), static_cast<size_t>(text.Length()));
    }
    std::string& Out() { return mOut; }

private:
    std::string mOut;
};

std::string FloatText(float value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void XmlAttribute(std::string& out, const char* name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
}

void XmlAttribute(std::string& out, const char* name, const TString& value) {
    XmlAttribute(out, name, std::string(EscapeXmlText(value.CStr()).CStr()));
}

void XmlAttribute(std::string& out, const char* name, int32_t value) {
    XmlAttribute(out, name, std::to_string(value));
}

} // namespace

int32_t ParseAnimationInt(const char* text) {
    const char* p = text ? text : "";
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) {
            value = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        value = std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

bool ReadAnimationXml(const TXmlNode& document, const TString& assetName, TAnimationData& data) {
    const char* name = assetName.CStr();
    const TXmlNode* sequence = document.FindChild("sequence");
    if (!sequence) {
        LogPrintf("Animation %s does not contain a sequence node", name);
        return false;
    }
    TAnimationData read;
    bool ok = true;
    read.mName = Attribute(*sequence, "name");
    read.mSource = Attribute(*sequence, "source");

    if (const TXmlNode* img = sequence->FindChild("img")) {
        if (!Attribute(*img, "regx").IsEmpty()) {
            read.mImageRegX = ParseAnimationInt(Attribute(*img, "regx").CStr());
            read.mImageRegY = ParseAnimationInt(Attribute(*img, "regy").CStr());
        }
        read.mImageWidth = ParseAnimationInt(Attribute(*img, "w").CStr());
        read.mImageHeight = ParseAnimationInt(Attribute(*img, "h").CStr());
        read.mImageFileName = Attribute(*img, "name");
        read.mMaskFileName = Attribute(*img, "mask");
    } else {
        LogPrintf("Animation %s does not contain an img node", name);
        ok = false;
    }

    const TXmlNode* frameList = sequence->FindChild("framelist");
    if (!frameList) {
        LogPrintf("Animation %s does not contain a framelist node", name);
        ok = false;
    } else {
        const TAnimationFrame* previous = nullptr;
        for (size_t i = 0; i < frameList->GetChildCount(); ++i) {
            const TXmlNode& node = *frameList->GetChild(i);
            if (node.GetName() != TString("frame")) {
                continue;
            }
            TAnimationFrame frame;
            frame.mX = ParseAnimationInt(Attribute(node, "x").CStr());
            frame.mY = ParseAnimationInt(Attribute(node, "y").CStr());
            frame.mW = ParseAnimationInt(Attribute(node, "w").CStr());
            frame.mH = ParseAnimationInt(Attribute(node, "h").CStr());
            frame.mName = Attribute(node, "name");
            TString alpha;
            if (node.GetAttribute(alpha, "alpha")) {
                frame.mAlpha = ParseAlpha(alpha);
            }
            if (!Attribute(node, "regx").IsEmpty()) {
                frame.mRegX = ParseAnimationInt(Attribute(node, "regx").CStr());
                frame.mRegY = ParseAnimationInt(Attribute(node, "regy").CStr());
            } else if (previous) {
                frame.mRegX = previous->mRegX;
                frame.mRegY = previous->mRegY;
            }
            const TString xform = Attribute(node, "xform");
            if (!xform.IsEmpty()) {
                ParseTransform(xform, frame.mTransform);
            } else if (previous) {
                std::memcpy(frame.mTransform, previous->mTransform, sizeof frame.mTransform);
            }
            for (size_t a = 0; a < node.GetChildCount(); ++a) {
                const TXmlNode& anchorNode = *node.GetChild(a);
                if (anchorNode.GetName() != TString("anchor")) {
                    continue;
                }
                TAnimationAnchor anchor;
                anchor.mName = Attribute(anchorNode, "name");
                anchor.mX = ParseAnimationInt(Attribute(anchorNode, "x").CStr());
                anchor.mY = ParseAnimationInt(Attribute(anchorNode, "y").CStr());
                frame.mAnchors.push_back(anchor);
            }
            read.mFrames.push_back(std::move(frame));
            previous = &read.mFrames.back();
        }
        if (read.mFrames.empty()) {
            ok = NoFrames(name);
        } else if (!FramesInsideImage(read, name)) {
            ok = false;
        }
        read.UpdateLargestFrame();
    }

    if (const TXmlNode* script = sequence->FindChild("script")) {
        const TString luaScript = Attribute(*script, "luascript");
        read.mScript = luaScript.IsEmpty() ? script->GetText() : luaScript;
    } else {
        read.mScript = MakeDefaultAnimationScript(read.GetFrameCount());
    }
    if (!ok) {
        return false;
    }
    data = std::move(read);
    return true;
}

bool ReadAnimationXmlFile(const TString& fileName, TAnimationData& data) {
    TXmlNode document;
    document.LoadFile(fileName);
    return ReadAnimationXml(document, fileName, data);
}

bool ReadAnimationAnm(const uint8_t* bytes, size_t size, const TString& assetName,
                      TAnimationData& data) {
    AnmReader in(bytes, size);
    TAnimationData read;

    if (!in.Tag("ANIM")) {
        return AnmFailure(assetName, "no ANIM chunk");
    }
    in.Int();
    const int32_t version = in.Int();
    read.mName = in.String();
    read.mSource = in.String();
    if (in.Failed()) {
        return AnmFailure(assetName, "the ANIM chunk is cut short");
    }

    if (!in.Tag("IMGN")) {
        return AnmFailure(assetName, "no IMGN chunk");
    }
    read.mImageRegX = in.Int();
    read.mImageRegY = in.Int();
    read.mImageWidth = in.Int();
    read.mImageHeight = in.Int();
    if (version == 1) {
        for (int i = 0; i < 4; ++i) {
            in.Float();
        }
    }
    read.mImageFileName = in.String();
    read.mMaskFileName = in.String();
    if (in.Failed()) {
        return AnmFailure(assetName, "the IMGN chunk is cut short");
    }

    if (!in.Tag("FRMS")) {
        return AnmFailure(assetName, "no FRMS chunk");
    }
    const int32_t frameCount = in.Int();
    if (in.Failed()) {
        return AnmFailure(assetName, "the FRMS chunk is cut short");
    }
    if (frameCount < 0) {
        return AnmFailure(assetName, "the frame count is negative");
    }
    if (frameCount == 0) {
        return NoFrames(assetName.CStr());
    }
    if (static_cast<size_t>(frameCount) > in.Remaining() / kMinFrameBytes) {
        return AnmFailure(assetName, "the frame count is past the end of the data");
    }
    read.mFrames.resize(static_cast<size_t>(frameCount));
    for (TAnimationFrame& frame : read.mFrames) {
        frame.mRegX = in.Int();
        frame.mRegY = in.Int();
        frame.mX = in.Int();
        frame.mY = in.Int();
        frame.mW = in.Int();
        frame.mH = in.Int();
        if (version >= 2) {
            frame.mAlpha = in.Float();
        }
        for (float& value : frame.mTransform) {
            value = in.Float();
        }
        frame.mName = in.String();
        const int32_t anchorCount = in.Int();
        if (in.Failed()) {
            return AnmFailure(assetName, "the FRMS chunk is cut short");
        }
        if (anchorCount < 0) {
            return AnmFailure(assetName, "an anchor count is negative");
        }
        if (static_cast<size_t>(anchorCount) > in.Remaining() / kAnchorBytes) {
            return AnmFailure(assetName, "an anchor count is past the end of the data");
        }
        frame.mAnchors.resize(static_cast<size_t>(anchorCount));
        for (TAnimationAnchor& anchor : frame.mAnchors) {
            anchor.mX = in.Int();
            anchor.mY = in.Int();
            anchor.mName = in.String();
        }
        if (in.Failed()) {
            return AnmFailure(assetName, "the FRMS chunk is cut short");
        }
    }
    if (!FramesInsideImage(read, assetName.CStr())) {
        return false;
    }
    read.UpdateLargestFrame();

    if (in.Tag("SCRP")) {
        read.mScript = in.String();
        if (in.Failed()) {
            return AnmFailure(assetName, "the SCRP chunk is cut short");
        }
    } else if (in.Remaining() > 0 && in.Remaining() < 4) {
        return AnmFailure(assetName, "the SCRP chunk is cut short");
    } else {
        read.mScript = MakeDefaultAnimationScript(read.GetFrameCount());
    }
    data = std::move(read);
    return true;
}

bool ReadAnimationAnmFile(const TString& fileName, TAnimationData& data) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, bytes)) {
        LogPrintf("Animation %s cannot be read", fileName.CStr());
        return false;
    }
    return ReadAnimationAnm(bytes.data(), bytes.size(), fileName, data);
}

std::string WriteAnimationAnm(const TAnimationData& data) {
    AnmWriter out;
    out.Tag("ANIM");
    out.Int(0);
    out.Int(kAnimationFileVersion);
    out.String(data.mName);
    out.String(data.mSource);
    out.Tag("IMGN");
    out.Int(data.mImageRegX);
    out.Int(data.mImageRegY);
    out.Int(data.mImageWidth);
    out.Int(data.mImageHeight);
    out.String(data.mImageFileName);
    out.String(data.mMaskFileName);
    out.Tag("FRMS");
    out.Int(data.GetFrameCount());
    for (const TAnimationFrame& frame : data.mFrames) {
        out.Int(frame.mRegX);
        out.Int(frame.mRegY);
        out.Int(frame.mX);
        out.Int(frame.mY);
        out.Int(frame.mW);
        out.Int(frame.mH);
        out.Float(frame.mAlpha);
        for (float value : frame.mTransform) {
            out.Float(value);
        }
        out.String(frame.mName);
        out.Int(frame.GetAnchorCount());
        for (const TAnimationAnchor& anchor : frame.mAnchors) {
            out.Int(anchor.mX);
            out.Int(anchor.mY);
            out.String(anchor.mName);
        }
    }
    out.Tag("SCRP");
    out.String(data.mScript);
    return std::move(out.Out());
}

std::string WriteAnimationXml(const TAnimationData& data) {
    std::string out = "<sequence";
    XmlAttribute(out, "name", data.mName);
    XmlAttribute(out, "source", data.mSource);
    out += ">\n    <img";
    XmlAttribute(out, "regx", data.mImageRegX);
    XmlAttribute(out, "regy", data.mImageRegY);
    XmlAttribute(out, "w", data.mImageWidth);
    XmlAttribute(out, "h", data.mImageHeight);
    XmlAttribute(out, "name", data.mImageFileName);
    XmlAttribute(out, "mask", data.mMaskFileName);
    out += "/>\n    <framelist>\n";
    for (const TAnimationFrame& frame : data.mFrames) {
        out += "        <frame";
        XmlAttribute(out, "name", frame.mName);
        XmlAttribute(out, "x", frame.mX);
        XmlAttribute(out, "y", frame.mY);
        XmlAttribute(out, "w", frame.mW);
        XmlAttribute(out, "h", frame.mH);
        XmlAttribute(out, "regx", frame.mRegX);
        XmlAttribute(out, "regy", frame.mRegY);
        XmlAttribute(out, "alpha", FloatText(frame.mAlpha));
        std::string xform;
        for (float value : frame.mTransform) {
            if (!xform.empty()) {
                xform += ' ';
            }
            xform += FloatText(value);
        }
        XmlAttribute(out, "xform", xform);
        if (frame.mAnchors.empty()) {
            out += "/>\n";
            continue;
        }
        out += ">\n";
        for (const TAnimationAnchor& anchor : frame.mAnchors) {
            out += "            <anchor";
            XmlAttribute(out, "name", anchor.mName);
            XmlAttribute(out, "x", anchor.mX);
            XmlAttribute(out, "y", anchor.mY);
            out += "/>\n";
        }
        out += "        </frame>\n";
    }
    out += "    </framelist>\n    <script";
    XmlAttribute(out, "luascript", data.mScript);
    out += "/>\n</sequence>\n";
    return out;
}

bool LoadAnimationData(const TString& assetName, const TString& image, const TString& mask,
                       TAnimationData& data) {
    TString fileName = assetName;
    if (!FileExists(fileName.CStr())) {
        fileName = assetName + TString(".xml");
        if (!FileExists(fileName.CStr())) {
            fileName = assetName + TString(".anm");
            if (!FileExists(fileName.CStr())) {
                LogPrintf("Animation %s: no such file, nor with .xml or .anm", assetName.CStr());
                return false;
            }
        }
    }
    TAnimationData read;
    bool ok = false;
    if (fileName.Find(TString(".xml"), TSearchFlags::kIgnoreCase) >= 0) {
        TXmlNode document;
        document.LoadFile(fileName);
        ok = ReadAnimationXml(document, assetName, read);
    } else if (fileName.Find(TString(".anm"), TSearchFlags::kIgnoreCase) >= 0) {
        ok = ReadAnimationAnmFile(fileName, read);
    } else {
        LogPrintf("Animation %s is neither .xml nor .anm", assetName.CStr());
    }
    if (!ok) {
        return false;
    }
    read.mAssetName = assetName;
    const size_t slash = assetName.View().find_last_of("/\\");
    read.mDirectory =
        slash != std::string_view::npos ? TString(assetName.CStr(), slash + 1) : TString("");
    if (!image.IsEmpty()) {
        read.mImageFileName = image;
    }
    if (!mask.IsEmpty()) {
        read.mMaskFileName = mask;
    }
    data = std::move(read);
    return true;
}
