#include "framework/core/text/TString.h"

#include "framework/core/text/TDllCollateHandler.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kMinCapacity = 16;
constexpr int kFormatBufferSize = 4096;

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool SameChar(char a, char b, bool ignoreCase) {
    return ignoreCase ? Upper(a) == Upper(b) : a == b;
}

// The capacity doubled, again and again, until it holds need bytes.
uint32_t GrownCapacity(uint32_t capacity, uint32_t need) {
    capacity = std::max(capacity, 1u);
    while (capacity < need) {
        capacity *= 2;
    }
    return capacity;
}

} // namespace

// ---- records ---------------------------------------------------------------

TString::Record* TString::NewRecord(uint32_t capacity) {
    auto* record = new Record;
    record->text = new char[capacity];
    record->text[0] = 0;
    record->refCount = 1;
    record->capacity = capacity;
    record->length = 0;
    return record;
}

TString::Record* TString::CopyText(const char* text, size_t length, uint32_t capacity) {
    Record* record = NewRecord(capacity);
    std::memcpy(record->text, text, length);
    record->text[length] = 0;
    record->length = static_cast<uint32_t>(length);
    return record;
}

void TString::Release(Record* record) {
    if (record && record->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete[] record->text;
        delete record;
    }
}

// Replaces a shared record by a private copy of exactly length + 1 bytes.
void TString::MakePrivate() {
    if (mRecord && mRecord->refCount.load(std::memory_order_acquire) > 1) {
        size_t length = mRecord->length;
        Record* copy = CopyText(mRecord->text, length, static_cast<uint32_t>(length + 1));
        Release(mRecord);
        mRecord = copy;
    }
}

// Gives the (private) string a record of the given capacity, keeping its text.
void TString::Reallocate(uint32_t capacity) {
    capacity = std::max(capacity, kMinCapacity);
    if (!mRecord) {
        mRecord = NewRecord(capacity);
        return;
    }
    char* text = new char[capacity];
    size_t length = std::min<size_t>(mRecord->length, capacity - 1);
    std::memcpy(text, mRecord->text, length);
    text[length] = 0;
    delete[] mRecord->text;
    mRecord->text = text;
    mRecord->capacity = capacity;
    mRecord->length = static_cast<uint32_t>(length);
}

void TString::SetLengthAfterCopy(int position, int count, int fallback) {
    const void* zero = count > 0 ? std::memchr(mRecord->text + position, 0, count) : nullptr;
    mRecord->length = zero ? static_cast<uint32_t>(static_cast<const char*>(zero) - mRecord->text)
                           : static_cast<uint32_t>(fallback);
}

// ---- construction ------------------------------------------------------------

TString::TString(const char* text) {
    if (!text) {
        mRecord = NewRecord(kMinCapacity);
        return;
    }
    size_t length = std::strlen(text);
    mRecord = CopyText(text, length, static_cast<uint32_t>(length + 1));
}

TString::TString(const char* data, size_t count) {
    uint32_t capacity = std::max(static_cast<uint32_t>(count + 1), kMinCapacity);
    if (!data) {
        count = 0;
        capacity = kMinCapacity;
    }
    mRecord = NewRecord(capacity);
    if (count) {
        std::memcpy(mRecord->text, data, count);
    }
    mRecord->text[count] = 0;
    // A zero byte among the data ends the text there.
    SetLengthAfterCopy(0, static_cast<int>(count), static_cast<int>(count));
}

TString::TString(const TString& other) : mRecord(other.mRecord) {
    if (mRecord) {
        mRecord->refCount.fetch_add(1, std::memory_order_relaxed);
    }
}

TString::~TString() {
    Release(mRecord);
}

TString& TString::operator=(TString&& other) noexcept {
    if (this != &other) {
        Release(mRecord);
        mRecord = other.mRecord;
        other.mRecord = nullptr;
    }
    return *this;
}

TString TString::FromCodePoint(uint32_t codePoint) {
    unsigned char bytes[4];
    int count = EncodeUtf8(codePoint, bytes);
    if (count == 0) {
        return TString();
    }
    return TString(reinterpret_cast<const char*>(bytes), count);
}

TString TString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    TString result = VFormat(format, args);
    va_end(args);
    return result;
}

TString TString::VFormat(const char* format, va_list args) {
    if (!format) {
        return TString("");
    }
    char buffer[kFormatBufferSize];
    va_list first;
    va_copy(first, args);
    int length = std::vsnprintf(buffer, sizeof buffer, format, first);
    va_end(first);
    if (length < 0) {
        return TString("");
    }
    if (length < kFormatBufferSize) {
        return TString(buffer);
    }
    TString result;
    result.Reallocate(static_cast<uint32_t>(length + 1));
    va_list second;
    va_copy(second, args);
    std::vsnprintf(result.mRecord->text, length + 1, format, second);
    va_end(second);
    // "%c" with 0 writes a zero byte: the text ends there.
    result.mRecord->length = static_cast<uint32_t>(std::strlen(result.mRecord->text));
    return result;
}

// ---- access --------------------------------------------------------------------

char TString::CharAt(int index) const {
    return (index >= 0 && index < Length()) ? mRecord->text[index] : 0;
}

int TString::ToInt() const {
    // strtol rather than atoi: atoi's result is undefined for out-of-range text.
    long value = std::strtol(CStr(), nullptr, 10);
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

float TString::ToFloat() const {
    double value = std::atof(CStr());
    // A double beyond the float range has no float value: give infinity.
    if (value > FLT_MAX) {
        return HUGE_VALF;
    }
    if (value < -FLT_MAX) {
        return -HUGE_VALF;
    }
    return static_cast<float>(value);
}

// ---- comparison ------------------------------------------------------------------

int CompareBytes(const char* a, const char* b) {
    int result = std::strcmp(a ? a : "", b ? b : "");
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

namespace {

// Looked up once per process, on the first comparison; a missing module is
// remembered too and never retried. The handler is kept (never destroyed)
// so that strings compared while the process shuts down still find it.
const TDllCollateHandler* CollationHandler() {
    static TDllCollateHandler* const handler = TDllCollateHandler::Create().release();
    return handler;
}

} // namespace

int CollateStrings(const char* a, const char* b) {
    if (const TDllCollateHandler* handler = CollationHandler()) {
        return handler->Compare(a ? a : "", b ? b : "");
    }
    return CompareBytes(a, b);
}

int TString::Compare(const TString& other) const {
    if (mRecord == other.mRecord) {
        return 0;
    }
    if (!mRecord) {
        return other.mRecord->text[0] ? -1 : 0;
    }
    if (!other.mRecord) {
        return mRecord->text[0] ? 1 : 0;
    }
    int result = CollateStrings(mRecord->text, other.mRecord->text);
    // Only a module can call different texts equal; byte order already
    // gave its final answer.
    if (result != 0 || !CollationHandler()) {
        return result;
    }
    return CompareBytes(mRecord->text, other.mRecord->text);
}

// ---- search ------------------------------------------------------------------------

int TString::FindChar(char c, TSearchFlags flags, int start) const {
    int length = Length();
    if (length == 0 || start < 0 || start >= length) {
        return -1;
    }
    bool ignoreCase = HasFlag(flags, kIgnoreCase);
    const char* text = mRecord->text;
    if (HasFlag(flags, kBackwards)) {
        for (int i = length - 1 - start; i >= 0; --i) {
            if (SameChar(text[i], c, ignoreCase)) {
                return i;
            }
        }
    } else {
        for (int i = start; i < length; ++i) {
            if (SameChar(text[i], c, ignoreCase)) {
                return i;
            }
        }
    }
    return -1;
}

int TString::Find(const TString& needle, TSearchFlags flags, int start) const {
    int length = Length();
    if (length == 0 || start < 0 || start >= length) {
        return -1;
    }
    int needleLength = needle.Length();
    if (needleLength > length) {
        return -1;
    }
    bool ignoreCase = HasFlag(flags, kIgnoreCase);
    const char* text = mRecord->text;
    const char* pattern = needle.CStr();
    int positions = length - needleLength + 1;
    if (!ignoreCase) {
        // The same positions as the loops below, searched by the library.
        std::string_view view(text, length);
        std::string_view wanted(pattern, needleLength);
        size_t found;
        if (HasFlag(flags, kBackwards)) {
            int top = positions - 1 - start;
            if (top < 0) {
                return -1;
            }
            found = view.rfind(wanted, static_cast<size_t>(top));
        } else {
            found = view.find(wanted, static_cast<size_t>(start));
        }
        return found == std::string_view::npos ? -1 : static_cast<int>(found);
    }
    auto matchesAt = [&](int position) {
        for (int k = 0; k < needleLength; ++k) {
            if (!SameChar(text[position + k], pattern[k], ignoreCase)) {
                return false;
            }
        }
        return true;
    };
    if (HasFlag(flags, kBackwards)) {
        for (int i = positions - 1 - start; i >= 0; --i) {
            if (matchesAt(i)) {
                return i;
            }
        }
    } else {
        for (int i = start; i < positions; ++i) {
            if (matchesAt(i)) {
                return i;
            }
        }
    }
    return -1;
}

int TString::FindFirstOf(const TString& set, int start) const {
    int length = Length();
    if (start < 0) {
        return length;
    }
    for (int i = start; i < length; ++i) {
        if (std::strchr(set.CStr(), mRecord->text[i]) != nullptr) {
            return i;
        }
    }
    return length;
}

// ---- new strings from old ones -----------------------------------------------------

TString TString::operator+(const TString& other) const {
    int a = Length();
    int b = other.Length();
    TString result;
    result.mRecord = NewRecord(std::max(static_cast<uint32_t>(a + b + 1), kMinCapacity));
    std::memcpy(result.mRecord->text, CStr(), a);
    std::memcpy(result.mRecord->text + a, other.CStr(), b);
    result.mRecord->text[a + b] = 0;
    result.mRecord->length = static_cast<uint32_t>(a + b);
    return result;
}

TString TString::operator+(char c) const {
    int a = Length();
    TString result;
    result.mRecord = NewRecord(std::max(static_cast<uint32_t>(a + 2), kMinCapacity));
    std::memcpy(result.mRecord->text, CStr(), a);
    result.mRecord->text[a] = c;
    result.mRecord->text[a + 1] = 0;
    result.mRecord->length = static_cast<uint32_t>(c ? a + 1 : a);
    return result;
}

TString TString::Substring(int start, int count) const {
    int length = Length();
    if (start < 0 || start >= length || count == 0) {
        return TString();
    }
    int available = length - start;
    int take = (count < 0 || count > available) ? available : count;
    return TString(mRecord->text + start, static_cast<size_t>(take));
}

// ---- changes in place ------------------------------------------------------------

TString& TString::Assign(const TString& other) {
    if (this != &other && mRecord != other.mRecord) {
        if (other.mRecord) {
            other.mRecord->refCount.fetch_add(1, std::memory_order_relaxed);
        }
        Release(mRecord);
        mRecord = other.mRecord;
    }
    return *this;
}

TString& TString::AssignChars(const char* text) {
    // The text may point into our own record: build the new one first.
    TString fresh(text);
    std::swap(mRecord, fresh.mRecord);
    return *this;
}

TString& TString::Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    *this = VFormat(format, args);
    va_end(args);
    return *this;
}

void TString::Reserve(uint32_t capacity) {
    MakePrivate();
    Reallocate(std::max(capacity, Capacity()));
}

void TString::ToLower() {
    if (IsEmpty()) {
        return;
    }
    MakePrivate();
    for (char* p = mRecord->text; *p; ++p) {
        if (*p >= 'A' && *p <= 'Z') {
            *p = static_cast<char>(*p - 'A' + 'a');
        }
    }
}

int TString::Write(int position, const void* data, int count, bool terminate) {
    if (!data || count < 0) {
        count = 0;
    }
    // Bytes taken from our own text must survive the reallocation below.
    TString source;
    if (count && mRecord) {
        auto at = reinterpret_cast<uintptr_t>(data);
        auto begin = reinterpret_cast<uintptr_t>(mRecord->text);
        if (at >= begin && at < begin + mRecord->capacity) {
            source = TString(static_cast<const char*>(data), static_cast<size_t>(count));
            data = source.CStr();
        }
    }
    MakePrivate();
    int length = Length();
    // The position is never past the end: out-of-range positions append.
    if (position < 0 || position > length) {
        position = length;
    }
    uint32_t need = static_cast<uint32_t>(position + count + 1);
    if (!mRecord) {
        mRecord = NewRecord(std::max(need, kMinCapacity));
    } else if (mRecord->capacity < need) {
        Reallocate(GrownCapacity(mRecord->capacity, need));
    }
    if (count) {
        std::memcpy(mRecord->text + position, data, count);
    }
    int end = position + count;
    if (terminate || end > length) {
        // Bytes written past the old end need a terminator behind them.
        mRecord->text[end] = 0;
    }
    SetLengthAfterCopy(position, count, terminate ? end : std::max(end, length));
    return end;
}

TString& TString::Append(const TString& other) {
    if (other.IsEmpty()) {
        return *this;
    }
    // Appending a string to itself: keep the other text alive and unchanged.
    TString keep(other);
    MakePrivate();
    int length = Length();
    int extra = keep.Length();
    uint32_t need = static_cast<uint32_t>(length + extra + 1);
    if (!mRecord) {
        Reallocate(need);
    } else if (mRecord->capacity < need) {
        // At least doubling: a text built by many appends is copied a
        // bounded number of times per byte, not once per append; one large
        // append still gets exactly what it needs.
        Reallocate(std::max(need, mRecord->capacity * 2));
    }
    std::memcpy(mRecord->text + length, keep.CStr(), extra + 1);
    mRecord->length = need - 1;
    return *this;
}

TString& TString::AppendBuffer(const char* data, size_t count) {
    return Append(TString(data, count));
}

TString& TString::AppendChar(char c) {
    if (c == 0) {
        return *this;
    }
    MakePrivate();
    int length = Length();
    uint32_t need = static_cast<uint32_t>(length + 2);
    if (!mRecord) {
        Reallocate(need);
    } else if (mRecord->capacity < need) {
        // Doubling, as in Write, keeps byte-by-byte building linear.
        Reallocate(GrownCapacity(mRecord->capacity, need));
    }
    mRecord->text[length] = c;
    mRecord->text[length + 1] = 0;
    mRecord->length = static_cast<uint32_t>(length + 1);
    return *this;
}

TString& TString::Replace(const TString& needle, const TString& replacement, TSearchFlags flags,
                          int start) {
    // An empty text has no position to match at. An empty needle matches
    // at the first position tried, so it inserts the replacement there once;
    // with kReplaceAll it would match again behind every insertion without
    // end, so then nothing changes.
    if (IsEmpty() || (needle.IsEmpty() && HasFlag(flags, kReplaceAll))) {
        return *this;
    }
    // Either argument may share our record: keep their texts as they are.
    TString keepNeedle(needle);
    TString keepReplacement(replacement);
    MakePrivate();
    bool ignoreCase = HasFlag(flags, kIgnoreCase);
    bool backwards = HasFlag(flags, kBackwards);
    int needleLength = keepNeedle.Length();
    int replacementLength = keepReplacement.Length();
    int delta = replacementLength - needleLength;
    int position = Find(keepNeedle, flags & (kIgnoreCase | kBackwards), start);
    while (position >= 0) {
        int length = Length();
        if (delta > 0 && mRecord->capacity < static_cast<uint32_t>(length + delta + 1)) {
            Reallocate(static_cast<uint32_t>(length + delta + 1));
        }
        char* text = mRecord->text;
        if (delta != 0) {
            std::memmove(text + position + replacementLength, text + position + needleLength,
                         length - position - needleLength + 1);
        }
        std::memcpy(text + position, keepReplacement.CStr(), replacementLength);
        mRecord->length = static_cast<uint32_t>(length + delta);
        if (!HasFlag(flags, kReplaceAll)) {
            break;
        }
        // Forward the search goes on behind the replacement; backwards it
        // goes on with the matches that end before the replaced run.
        if (backwards) {
            position = FindBackwardFrom(keepNeedle, ignoreCase, position - needleLength);
        } else {
            position = Find(keepNeedle, flags & kIgnoreCase, position + replacementLength);
        }
    }
    return *this;
}

// The last match of the needle at or below the position top, or -1.
int TString::FindBackwardFrom(const TString& needle, bool ignoreCase, int top) const {
    int last = Length() - needle.Length();
    if (top < 0 || last < 0) {
        return -1;
    }
    top = std::min(top, last);
    // Find counts a backward start from the last possible position.
    return Find(needle, kBackwards | (ignoreCase ? kIgnoreCase : TSearchFlags::kNone), last - top);
}

void TString::Erase(int start, int count) {
    int length = Length();
    if (start < 0 || start >= length || count == 0) {
        return;
    }
    MakePrivate();
    // A run reaching past the end is cut at the end.
    if (count < 0 || count > length - start) {
        count = length - start;
    }
    char* text = mRecord->text;
    if (start + count == length) {
        text[start] = 0;
    } else {
        std::memmove(text + start, text + start + count, length - start - count + 1);
    }
    mRecord->length = static_cast<uint32_t>(length - count);
}

// ---- UTF-8 ------------------------------------------------------------------------------

int Utf8SequenceLength(unsigned char lead) {
    if (lead == 0) {
        return 0;
    }
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

int EncodeUtf8(uint32_t cp, unsigned char out[4]) {
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        if (cp == 0xFFFE || cp == 0xFEFF || cp == 0xFFFF) {
            return 0;
        }
        out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 3;
    }
    if (cp < 0x110000) {
        out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 4;
    }
    return 0;
}

// Reads at most the sequence's length; a zero byte inside it fails the
// continuation test, so a zero-terminated text is never read past its end.
uint32_t DecodeUtf8(const unsigned char* s) {
    static const uint32_t kOffsets[5] = {0, 0, 0x3080, 0xE2080, 0x3C82080};
    int n = Utf8SequenceLength(s[0]);
    if (n == 0) {
        return 0;
    }
    if (n == 1) {
        return s[0] < 0x80 ? s[0] : 0;
    }
    uint32_t value = s[0];
    for (int i = 1; i < n; ++i) {
        if (!(s[i] & 0x80)) {
            return 0;
        }
        value = value * 64 + s[i];
    }
    return value - kOffsets[n];
}
