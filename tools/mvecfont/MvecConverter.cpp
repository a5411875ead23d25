#include "MvecConverter.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

namespace mvec {

namespace {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

// One outline piece in TrueType units (y up): a move, a line or a quadratic
// curve with its control point.
struct Piece {
    enum Kind { kMove, kLine, kCurve } kind = kMove;
    Point control;
    Point to;
};

struct Glyph {
    uint32_t code = 0;
    std::vector<Piece> pieces;
    FT_BBox box{};
    bool ink = false;
    long advance = 0;
};

struct Collector {
    std::vector<Piece>* pieces = nullptr;
    Point current;
};

Point ToPoint(const FT_Vector* v) {
    return {static_cast<double>(v->x), static_cast<double>(v->y)};
}

int MoveTo(const FT_Vector* to, void* user) {
    auto* c = static_cast<Collector*>(user);
    c->current = ToPoint(to);
    c->pieces->push_back({Piece::kMove, {}, c->current});
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    auto* c = static_cast<Collector*>(user);
    c->current = ToPoint(to);
    c->pieces->push_back({Piece::kLine, {}, c->current});
    return 0;
}

// FreeType hands over the implied on-curve points between two off-curve
// points already, so each call is one quadratic piece.
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* c = static_cast<Collector*>(user);
    c->current = ToPoint(to);
    c->pieces->push_back({Piece::kCurve, ToPoint(control), c->current});
    return 0;
}

// Cubic outlines (not in TrueType fonts, but FreeType reads others too) are
// cut into four parts, each approached by one quadratic piece.
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* c = static_cast<Collector*>(user);
    const Point p0 = c->current;
    const Point p1 = ToPoint(c1);
    const Point p2 = ToPoint(c2);
    const Point p3 = ToPoint(to);
    auto at = [&](double t) {
        const double u = 1.0 - t;
        return Point{
            u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
            u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
    };
    auto slope = [&](double t) {
        const double u = 1.0 - t;
        return Point{
            3 * u * u * (p1.x - p0.x) + 6 * u * t * (p2.x - p1.x) + 3 * t * t * (p3.x - p2.x),
            3 * u * u * (p1.y - p0.y) + 6 * u * t * (p2.y - p1.y) + 3 * t * t * (p3.y - p2.y)};
    };
    const int parts = 4;
    for (int i = 0; i < parts; ++i) {
        const double t0 = static_cast<double>(i) / parts;
        const double t1 = static_cast<double>(i + 1) / parts;
        const Point a = at(t0);
        const Point b = at(t1);
        const Point da = slope(t0);
        const Point db = slope(t1);
        const double h = (t1 - t0) / 2.0;
        // The control point: the mean of the two tangent ends.
        const Point control{(a.x + da.x * h + b.x - db.x * h) / 2.0,
                            (a.y + da.y * h + b.y - db.y * h) / 2.0};
        c->pieces->push_back({Piece::kCurve, control, b});
    }
    c->current = p3;
    return 0;
}

bool LoadGlyph(FT_Face face, uint32_t code, Glyph& glyph) {
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 && code != 0)
        return false;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
        return false;
    glyph.code = code;
    glyph.advance = face->glyph->metrics.horiAdvance;
    FT_Outline* outline = &face->glyph->outline;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE || outline->n_points == 0)
        return true;
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    Collector collector;
    collector.pieces = &glyph.pieces;
    if (FT_Outline_Decompose(outline, &funcs, &collector))
        return false;
    FT_Outline_Get_BBox(outline, &glyph.box);
    glyph.ink = !glyph.pieces.empty();
    return true;
}

void Put16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF));
}

class PathWriter {
public:
    PathWriter(std::vector<uint8_t>& out, double unit, int curveLimit)
        : mOut(out), mUnit(unit), mCurveLimit(curveLimit) {}

    void Write(const std::vector<Piece>& pieces) {
        bool first = true;
        for (size_t i = 0; i < pieces.size(); ++i) {
            const Piece& piece = pieces[i];
            if (piece.kind == Piece::kMove) {
                CloseContour();
                mStart = Quantize(piece.to);
                mAt = mStart;
                mAtExact = piece.to;
                mOpen = true;
                Command(4, {mStart.first, mStart.second});
                if (first) {
                    // The glyph is filled with the caller's text colour.
                    mOut.push_back(2);
                    mOut.push_back(1);
                    first = false;
                }
            } else if (piece.kind == Piece::kLine) {
                LineTo(Quantize(piece.to));
                mAtExact = piece.to;
            } else {
                CurveTo(mAtExact, piece.control, piece.to, 0);
                mAtExact = piece.to;
            }
        }
        CloseContour();
        mOut.push_back(8);
    }

private:
    using Q = std::pair<int, int>;

    Q Quantize(const Point& p) const {
        return {static_cast<int>(std::lround(p.x * mUnit)),
                static_cast<int>(std::lround(-p.y * mUnit))};
    }

    void Command(uint8_t op, std::initializer_list<int> values) {
        mOut.push_back(op);
        for (int v : values)
            Put16(mOut, v);
    }

    void LineTo(const Q& to) {
        if (to == mAt)
            return;
        Command(5, {to.first, to.second});
        mAt = to;
    }

    void CurveTo(const Point& p0, const Point& c, const Point& p2, int depth) {
        const double dx = (p0.x - 2 * c.x + p2.x) * mUnit;
        const double dy = (p0.y - 2 * c.y + p2.y) * mUnit;
        if (depth < 8 && std::max(std::fabs(dx), std::fabs(dy)) > mCurveLimit) {
            const Point c0{(p0.x + c.x) / 2, (p0.y + c.y) / 2};
            const Point c1{(c.x + p2.x) / 2, (c.y + p2.y) / 2};
            const Point mid{(c0.x + c1.x) / 2, (c0.y + c1.y) / 2};
            CurveTo(p0, c0, mid, depth + 1);
            CurveTo(mid, c1, p2, depth + 1);
            return;
        }
        const Q qc = Quantize(c);
        const Q q2 = Quantize(p2);
        if (q2 == mAt && qc == mAt)
            return;
        Command(6, {qc.first, qc.second, q2.first, q2.second});
        mAt = q2;
    }

    // The drawer does not close contours itself: each ends with a segment
    // back to its start.
    void CloseContour() {
        if (mOpen)
            LineTo(mStart);
        mOpen = false;
    }

    std::vector<uint8_t>& mOut;
    double mUnit;
    int mCurveLimit;
    Q mStart{0, 0};
    Q mAt{0, 0};
    Point mAtExact;
    bool mOpen = false;
};

// Stored coordinates and metrics are signed 16-bit values.
constexpr double kCoordinateLimit = 32000.0;

// The largest coordinate or advance of a glyph, in TrueType units.
double Extent(const Glyph& g) {
    double largest = std::max(1.0, std::fabs(static_cast<double>(g.advance)));
    for (const Piece& p : g.pieces) {
        largest = std::max({largest, std::fabs(p.to.x), std::fabs(p.to.y), std::fabs(p.control.x),
                            std::fabs(p.control.y)});
    }
    return largest;
}

void AddRange(std::vector<uint32_t>& codes, uint32_t first, uint32_t last) {
    for (uint32_t c = first; c <= last; ++c)
        codes.push_back(c);
}

} // namespace

std::vector<uint32_t> BasicGlyphSet() {
    std::vector<uint32_t> codes;
    AddRange(codes, 32, 126);
    AddRange(codes, 0xA1, 0xFF);
    // Dashes, quotes, daggers, bullet, ellipsis, per mille, primes,
    // single guillemets, fraction slash, euro, numero, trade mark.
    const uint32_t punctuation[] = {0x2010, 0x2011, 0x2012, 0x2013, 0x2014, 0x2015, 0x2018,
                                    0x2019, 0x201A, 0x201B, 0x201C, 0x201D, 0x201E, 0x201F,
                                    0x2020, 0x2021, 0x2022, 0x2026, 0x2030, 0x2032, 0x2033,
                                    0x2039, 0x203A, 0x2044, 0x20AC, 0x2116, 0x2122};
    codes.insert(codes.end(), std::begin(punctuation), std::end(punctuation));
    return codes;
}

std::vector<uint32_t> DefaultGlyphSet() {
    std::vector<uint32_t> codes = BasicGlyphSet();
    AddRange(codes, 0x100, 0x17F);   // Latin Extended-A
    AddRange(codes, 0x180, 0x24F);   // Latin Extended-B
    AddRange(codes, 0x370, 0x3FF);   // Greek and Coptic
    AddRange(codes, 0x400, 0x4FF);   // Cyrillic
    AddRange(codes, 0x2000, 0x206F); // General Punctuation
    AddRange(codes, 0x20A0, 0x20CF); // Currency Symbols
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

bool ParseGlyphSet(const std::string& text, std::vector<uint32_t>& codes) {
    codes.clear();
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty())
            return false;
        const size_t dash = item.find('-');
        char* end = nullptr;
        const std::string a = item.substr(0, dash);
        const unsigned long first = std::strtoul(a.c_str(), &end, 0);
        if (a.empty() || *end != '\0')
            return false;
        unsigned long last = first;
        if (dash != std::string::npos) {
            const std::string b = item.substr(dash + 1);
            last = std::strtoul(b.c_str(), &end, 0);
            if (b.empty() || *end != '\0' || last < first)
                return false;
        }
        if (last > 0x10FFFF)
            return false;
        AddRange(codes, static_cast<uint32_t>(first), static_cast<uint32_t>(last));
    }
    return !codes.empty();
}

bool ConvertFont(const std::string& ttfPath, const ConvertOptions& options, ConvertResult& result,
                 std::string& error) {
    result = ConvertResult();
    std::vector<uint32_t> asked = options.codes.empty() ? DefaultGlyphSet() : options.codes;
    std::set<uint32_t> unique(asked.begin(), asked.end());

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library)) {
        error = "FreeType does not start";
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, ttfPath.c_str(), 0, &face)) {
        FT_Done_FreeType(library);
        error = "cannot read the font " + ttfPath;
        return false;
    }
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);

    std::vector<Glyph> glyphs;
    for (uint32_t code : unique) {
        Glyph glyph;
        if (LoadGlyph(face, code, glyph))
            glyphs.push_back(std::move(glyph));
        else
            result.missing.push_back(code);
    }

    // The scale: the top of "W" (from the font, whether or not "W" is in the
    // set) and the lowest ASCII glyph but "_" together make targetHeight.
    double top = face->ascender;
    Glyph w;
    if (LoadGlyph(face, 'W', w) && w.ink)
        top = static_cast<double>(w.box.yMax);
    double bottom = 0.0;
    for (const Glyph& g : glyphs) {
        if (g.code < 128 && g.code != '_' && g.ink)
            bottom = std::max(bottom, -static_cast<double>(g.box.yMin));
    }
    if (top + bottom <= 0.0) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        error = "the font has no height";
        return false;
    }
    // The scale is lowered when a glyph of the basic set would not fit 16
    // bits; a rarer glyph that would not is left out instead.
    double scale = options.targetHeight / (top + bottom);
    const std::vector<uint32_t> basic = BasicGlyphSet();
    for (const Glyph& g : glyphs) {
        if (std::find(basic.begin(), basic.end(), g.code) != basic.end())
            scale = std::min(scale, kCoordinateLimit / (128.0 * Extent(g)));
    }
    std::vector<Glyph> fitting;
    for (Glyph& g : glyphs) {
        if (Extent(g) * scale * 128.0 <= kCoordinateLimit)
            fitting.push_back(std::move(g));
        else
            result.tooLarge.push_back(g.code);
    }
    glyphs.swap(fitting);
    const double unit = scale * 128.0;
    result.scale = scale;

    std::vector<uint8_t>& image = result.image;
    image.insert(image.end(), {'M', 'V', 'C', '4'});
    Put16(image, static_cast<int>(glyphs.size()));
    Put16(image, 1); // layout revision
    Put16(image, static_cast<int>(std::lround(face->units_per_EM * unit)));
    Put16(image, 0);
    const size_t tableAt = image.size();
    image.resize(tableAt + glyphs.size() * 18);

    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        std::vector<uint8_t> record;
        Put32(record, g.code);
        if (g.ink) {
            Put16(record, static_cast<int>(std::floor(g.box.xMin * unit)));
            Put16(record, static_cast<int>(std::ceil(g.box.xMax * unit)));
            Put16(record, static_cast<int>(std::floor(-g.box.yMax * unit)));
            Put16(record, static_cast<int>(std::ceil(-g.box.yMin * unit)));
        } else {
            for (int k = 0; k < 4; ++k)
                Put16(record, 0);
        }
        Put16(record, static_cast<int>(std::lround(g.advance * unit)));
        Put32(record, static_cast<uint32_t>(image.size()));
        std::copy(record.begin(), record.end(), image.begin() + tableAt + i * 18);
        PathWriter(image, unit, options.curveLimit).Write(g.pieces);
    }
    result.glyphs = static_cast<int>(glyphs.size());

    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (glyphs.empty()) {
        error = "none of the asked glyphs is in the font";
        return false;
    }
    return true;
}

std::string ImageToSource(const std::vector<uint8_t>& image, const std::string& symbol) {
    std::string out;
    out += "// Made by the mvecfont tool at build time; do not edit.\n";
    out += "#include <cstddef>\n\n";
    out += "extern const unsigned char " + symbol + "[];\n";
    out += "extern const size_t " + symbol + "Size;\n\n";
    out += "const unsigned char " + symbol + "[] = {\n";
    char buffer[8];
    for (size_t i = 0; i < image.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%u,", image[i]);
        out += buffer;
        if (i % 24 == 23)
            out += '\n';
    }
    out += "\n};\n";
    out += "const size_t " + symbol + "Size = " + std::to_string(image.size()) + ";\n";
    return out;
}

} // namespace mvec
