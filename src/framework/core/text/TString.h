#pragma once

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

// Search flags of TString: a type of their own, so a search start can never
// be taken for flags, nor flags for a start.
enum class TSearchFlags : int {
    kNone = 0,
    kIgnoreCase = 1,
    kReplaceAll = 2, // Replace only
    kBackwards = 4,
};

constexpr TSearchFlags operator|(TSearchFlags a, TSearchFlags b) {
    return static_cast<TSearchFlags>(static_cast<int>(a) | static_cast<int>(b));
}

constexpr TSearchFlags operator&(TSearchFlags a, TSearchFlags b) {
    return static_cast<TSearchFlags>(static_cast<int>(a) & static_cast<int>(b));
}

// Whether any of the flags in wanted is set.
constexpr bool HasFlag(TSearchFlags flags, TSearchFlags wanted) {
    return (flags & wanted) != TSearchFlags::kNone;
}

// The framework's one string type: a single pointer to a shared,
// reference-counted, zero-terminated byte buffer (normally UTF-8). A null
// pointer is the empty string. Copies share the record; every change in
// place first takes a private copy. The count is atomic because the sound
// thread and the platform's helper thread format log lines too; a record is
// still not meant to be changed from two threads at once.
class TString {
public:
    static constexpr TSearchFlags kIgnoreCase = TSearchFlags::kIgnoreCase;
    static constexpr TSearchFlags kReplaceAll = TSearchFlags::kReplaceAll;
    static constexpr TSearchFlags kBackwards = TSearchFlags::kBackwards;

    TString() = default;
    TString(const char* text);               // a record even for ""
    TString(const char* data, size_t count); // count bytes and a terminator
    TString(std::string_view text) : TString(text.data(), text.size()) {}
    TString(const TString& other);
    TString(TString&& other) noexcept : mRecord(other.mRecord) { other.mRecord = nullptr; }
    ~TString();

    TString& operator=(const TString& other) { return Assign(other); }
    TString& operator=(TString&& other) noexcept;
    TString& operator=(const char* text) { return AssignChars(text); }

    static TString FromCodePoint(uint32_t codePoint);
    static TString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static TString VFormat(const char* format, va_list args);

    // The record keeps its length, so this costs nothing.
    int Length() const { return mRecord ? static_cast<int>(mRecord->length) : 0; }
    bool IsEmpty() const { return !mRecord || mRecord->length == 0; }
    const char* CStr() const { return mRecord ? mRecord->text : ""; }
    char CharAt(int index) const;
    // Numbers as atoi and atof read them (leading blanks, a sign, digits up
    // to the first other byte); 0 for the empty string. Values beyond the
    // int range give INT_MAX or INT_MIN.
    int ToInt() const;
    float ToFloat() const;
    std::string_view View() const { return CStr(); }
    std::string ToStd() const { return CStr(); }

    // Size of the text buffer, terminator included; 0 without a record.
    uint32_t Capacity() const { return mRecord ? mRecord->capacity : 0; }
    // Number of TString values sharing the record; 0 without a record.
    uint32_t RefCount() const { return mRecord ? mRecord->refCount.load() : 0; }

    // Locale order through the collation module when one is loaded; texts
    // the module calls equal but whose bytes differ are ordered by their
    // bytes, so only identical texts compare 0 and maps keep distinct keys.
    int Compare(const TString& other) const;
    bool operator==(const TString& other) const { return Compare(other) == 0; }
    bool operator!=(const TString& other) const { return Compare(other) != 0; }
    bool operator<(const TString& other) const { return Compare(other) < 0; }
    // The same as ==, < and +, by name.
    bool Equals(const TString& other) const { return Compare(other) == 0; }
    bool Less(const TString& other) const { return Compare(other) < 0; }
    TString Concat(const TString& other) const { return *this + other; }

    // Searches give the index of the match or -1. Backwards (kBackwards)
    // the start counts from the end: start 0 finds the last occurrence.
    // A negative start finds nothing: read as an unsigned index it lies
    // past the end. Flags and start may come in either order; two plain
    // numbers do not compile.
    int FindChar(char c, TSearchFlags flags = TSearchFlags::kNone, int start = 0) const;
    int FindChar(char c, int start, TSearchFlags flags = TSearchFlags::kNone) const {
        return FindChar(c, flags, start);
    }
    int Find(const TString& needle, TSearchFlags flags = TSearchFlags::kNone, int start = 0) const;
    int Find(const TString& needle, int start, TSearchFlags flags = TSearchFlags::kNone) const {
        return Find(needle, flags, start);
    }
    // Index of the first byte at or after start that is in the set; the
    // length when there is none, and when the start is negative (past the
    // end, read as unsigned).
    int FindFirstOf(const TString& set, int start = 0) const;

    TString operator+(const TString& other) const;
    TString operator+(char c) const;
    // Numbers are not bytes: "Level " + 3 must not append the byte 3. Write
    // numbers with Format.
    template <class T>
    requires(std::is_arithmetic_v<T> && !std::is_same_v<T, char>) TString
    operator+(T) const = delete;
    // count -1 (or any negative count) runs to the end; a negative start
    // lies past the end (read as unsigned), so the result is empty.
    TString Substring(int start, int count = -1) const;

    TString& Assign(const TString& other);
    TString& AssignChars(const char* text);
    TString& Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Reserve(uint32_t capacity);
    void ToLower();
    // Copies count bytes in at position (-1 = the end; a position past the
    // end also means the end) and returns position + count. The data may
    // point into this string's own text.
    int Write(int position, const void* data, int count, bool terminate);
    TString& Append(const TString& other);
    TString& operator+=(const TString& other) { return Append(other); }
    TString& AppendBuffer(const char* data, size_t count);
    TString& AppendChar(char c);
    TString& operator+=(char c) { return AppendChar(c); }
    template <class T>
    requires(std::is_arithmetic_v<T> && !std::is_same_v<T, char>) TString& operator+=(T) = delete;
    // Replaces the first match (or, with kReplaceAll, every match) of the
    // needle. An empty needle matches where the search starts, so the
    // replacement is inserted there; with kReplaceAll it changes nothing.
    // Flags and start may come in either order, as for the searches.
    TString& Replace(const TString& needle, const TString& replacement,
                     TSearchFlags flags = TSearchFlags::kNone, int start = 0);
    TString& Replace(const TString& needle, const TString& replacement, int start,
                     TSearchFlags flags = TSearchFlags::kNone) {
        return Replace(needle, replacement, flags, start);
    }
    // Removes count bytes from start (-1 = to the end); a run reaching past
    // the end is cut at the end, a start outside the text removes nothing.
    void Erase(int start, int count = -1);

private:
    // The text's length is kept beside it, so appending and measuring do
    // not scan the text.
    struct Record {
        char* text;
        std::atomic<uint32_t> refCount;
        uint32_t capacity;
        uint32_t length;
    };

    static Record* NewRecord(uint32_t capacity);
    static Record* CopyText(const char* text, size_t length, uint32_t capacity);
    static void Release(Record* record);
    int FindBackwardFrom(const TString& needle, bool ignoreCase, int top) const;
    // Sets the length after bytes were copied in from position on: the
    // text ends at the first zero byte among them, if any.
    void SetLengthAfterCopy(int position, int count, int fallback);
    void MakePrivate();
    void Reallocate(uint32_t capacity);

    Record* mRecord = nullptr;
};

// Byte-order comparison of two texts: -1, 0 or 1. Used by the collation
// fallback and by maps whose walks rely on byte order whatever the locale.
int CompareBytes(const char* a, const char* b);

// Locale-aware comparison: through the collation module when one is loaded,
// byte order otherwise. -1, 0 or 1.
int CollateStrings(const char* a, const char* b);

// Strict weak ordering in byte order, for maps that must not follow the
// locale (prefix walks over file names, for one).
struct TStringByteLess {
    bool operator()(const TString& a, const TString& b) const {
        return CompareBytes(a.CStr(), b.CStr()) < 0;
    }
};

// Hash of the text's bytes, for unordered containers (equal strings have
// equal bytes, so equal hashes).
template <> struct std::hash<TString> {
    size_t operator()(const TString& text) const noexcept {
        return std::hash<std::string_view>()(text.View());
    }
};

// UTF-8 helpers on raw bytes.
int Utf8SequenceLength(unsigned char lead);
int EncodeUtf8(uint32_t codePoint, unsigned char out[4]);
uint32_t DecodeUtf8(const unsigned char* sequence);
