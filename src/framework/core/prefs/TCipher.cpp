#include "framework/core/prefs/TCipher.h"

#include <nettle/blowfish.h>

#include <climits>
#include <cstring>
#include <vector>

struct TCipherContext {
    blowfish_ctx mBlowfish;
    int32_t mLastLength = 0;
};

namespace {

// Short key texts are completed with this filler to 12 characters.
constexpr char kKeyFiller[] = "CorvaloPrefs";
// The last three characters of every cipher key text.
constexpr char kKeySuffix[] = "Cv0";
constexpr int kKeyTextLength = 12;
constexpr int kKeyByteCount = 9;
constexpr int kBlock = BLOWFISH_BLOCK_SIZE;
// Longest input accepted, so that padded and Base64 sizes stay within int.
constexpr int kMaxInput = (INT_MAX / 4) * 3 - 2 * kBlock;

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SixBits(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    if (c == '=')
        return 0;
    return c & 0x3F;
}

std::vector<uint8_t> EncryptRaw(TCipherContext* context, const uint8_t* input, int length) {
    int padding = kBlock - length % kBlock;
    std::vector<uint8_t> buffer(static_cast<size_t>(length + padding),
                                static_cast<uint8_t>(padding));
    if (length > 0)
        std::memcpy(buffer.data(), input, static_cast<size_t>(length));
    blowfish_encrypt(&context->mBlowfish, buffer.size(), buffer.data(), buffer.data());
    return buffer;
}

// Deciphers length bytes (completed with zero bytes to whole blocks) and
// drops the padding that the last deciphered byte names. Empty when the
// count is out of range or there is nothing to decipher.
std::vector<uint8_t> DecryptRaw(TCipherContext* context, const uint8_t* input, int length) {
    if (length <= 0)
        return {};
    size_t blocks = (static_cast<size_t>(length) + kBlock - 1) / kBlock;
    std::vector<uint8_t> buffer(blocks * kBlock, 0);
    std::memcpy(buffer.data(), input, static_cast<size_t>(length));
    blowfish_decrypt(&context->mBlowfish, buffer.size(), buffer.data(), buffer.data());
    int padding = static_cast<int8_t>(buffer.back());
    int resultLength = length - padding;
    if (resultLength < 0 || resultLength > length)
        return {};
    buffer.resize(static_cast<size_t>(resultLength));
    return buffer;
}

// The calling pattern shared by Encrypt and Decrypt.
int Deliver(TCipherContext* context, const void* data, size_t size, void* output,
            int outputCapacity) {
    if (size > static_cast<size_t>(INT_MAX))
        return -1;
    int needed = static_cast<int>(size);
    if (!output || needed > outputCapacity)
        return needed;
    if (size > 0)
        std::memcpy(output, data, size);
    context->mLastLength = needed;
    return 0;
}

} // namespace

TCipherHandle MakeCipherFromKeyBytes(const uint8_t* key, size_t length) {
    if (!key || length < BLOWFISH_MIN_KEY_SIZE || length > BLOWFISH_MAX_KEY_SIZE)
        return nullptr;
    auto* context = new TCipherContext;
    // A "weak" key (an S-box with a repeated entry) is still a working key;
    // the schedule is complete either way, so the answer is not needed.
    (void)blowfish_set_key(&context->mBlowfish, length, key);
    context->mLastLength = 0;
    return context;
}

TString CipherKeyText(const TString& keyText) {
    std::string normalised = keyText.ToStd() + kKeyFiller;
    normalised.resize(kKeyTextLength);
    return TString(normalised.substr(0, kKeyTextLength - 3) + kKeySuffix);
}

TCipherHandle MakeCipher(const TString& keyText) {
    TString cipherKey = CipherKeyText(keyText);
    // Every character of the key text counts, "=" included, so the twelve
    // characters always give nine key bytes.
    uint8_t key[kKeyByteCount];
    const char* text = cipherKey.CStr();
    for (int group = 0; group < kKeyTextLength / 4; ++group) {
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits = (bits << 6) |
                   static_cast<uint32_t>(SixBits(static_cast<unsigned char>(text[group * 4 + i])));
        key[group * 3] = static_cast<uint8_t>(bits >> 16);
        key[group * 3 + 1] = static_cast<uint8_t>(bits >> 8);
        key[group * 3 + 2] = static_cast<uint8_t>(bits);
    }
    return MakeCipherFromKeyBytes(key, sizeof key);
}

void DestroyCipher(TCipherHandle handle) {
    delete handle;
}

void EncryptBlock(TCipherHandle handle, const uint8_t in[8], uint8_t out[8]) {
    blowfish_encrypt(&handle->mBlowfish, kBlock, out, in);
}

void DecryptBlock(TCipherHandle handle, const uint8_t in[8], uint8_t out[8]) {
    blowfish_decrypt(&handle->mBlowfish, kBlock, out, in);
}

TString Base64Encode(const void* data, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string text;
    text.reserve((length + 2) / 3 * 4);
    for (size_t i = 0; i < length; i += 3) {
        size_t count = length - i < 3 ? length - i : 3;
        uint32_t bits = static_cast<uint32_t>(bytes[i]) << 16;
        if (count > 1)
            bits |= static_cast<uint32_t>(bytes[i + 1]) << 8;
        if (count > 2)
            bits |= bytes[i + 2];
        text += kAlphabet[(bits >> 18) & 63];
        text += kAlphabet[(bits >> 12) & 63];
        text += count > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        text += count > 2 ? kAlphabet[bits & 63] : '=';
    }
    return TString(text);
}

std::string Base64Decode(const char* text, size_t length) {
    std::string bytes;
    if (!text)
        return bytes;
    bytes.reserve((length + 3) / 4 * 3);
    for (size_t i = 0; i < length; i += 4) {
        char group[4] = {'=', '=', '=', '='};
        for (size_t j = 0; j < 4 && i + j < length; ++j)
            group[j] = text[i + j];
        int trailing = 0;
        for (int j = 3; j >= 0 && group[j] == '='; --j)
            ++trailing;
        uint32_t bits = 0;
        for (char c : group)
            bits = (bits << 6) | static_cast<uint32_t>(SixBits(static_cast<unsigned char>(c)));
        int count = 3 - (trailing > 3 ? 3 : trailing);
        for (int j = 0; j < count; ++j)
            bytes += static_cast<char>((bits >> (16 - 8 * j)) & 0xFF);
    }
    return bytes;
}

int Encrypt(TCipherHandle handle, const void* input, int inputLength, void* output,
            int outputCapacity, bool textForm) {
    if (!handle || inputLength > kMaxInput)
        return -1;
    if (inputLength < 0 || !input)
        inputLength = 0;
    std::vector<uint8_t> raw = EncryptRaw(handle, static_cast<const uint8_t*>(input), inputLength);
    if (!textForm)
        return Deliver(handle, raw.data(), raw.size(), output, outputCapacity);
    TString text = Base64Encode(raw.data(), raw.size());
    // The text form is delivered with its terminating NUL.
    return Deliver(handle, text.CStr(), static_cast<size_t>(text.Length()) + 1, output,
                   outputCapacity);
}

int Decrypt(TCipherHandle handle, const void* input, int inputLength, void* output,
            int outputCapacity, bool textForm) {
    if (!handle || inputLength > kMaxInput)
        return -1;
    if (inputLength < 0 || !input)
        inputLength = 0;
    std::vector<uint8_t> result;
    if (textForm) {
        std::string raw =
            Base64Decode(static_cast<const char*>(input), static_cast<size_t>(inputLength));
        result = DecryptRaw(handle, reinterpret_cast<const uint8_t*>(raw.data()),
                            static_cast<int>(raw.size()));
    } else {
        result = DecryptRaw(handle, static_cast<const uint8_t*>(input), inputLength);
    }
    return Deliver(handle, result.data(), result.size(), output, outputCapacity);
}

int LastCipherLength(TCipherHandle handle) {
    return handle ? handle->mLastLength : 0;
}

std::vector<uint8_t> EncryptToBytes(TCipherHandle handle, const void* input, int inputLength,
                                    bool textForm) {
    int needed = Encrypt(handle, input, inputLength, nullptr, 0, textForm);
    if (needed <= 0)
        return {};
    std::vector<uint8_t> output(static_cast<size_t>(needed));
    if (Encrypt(handle, input, inputLength, output.data(), needed, textForm) != 0)
        return {};
    return output;
}

std::vector<uint8_t> DecryptToBytes(TCipherHandle handle, const void* input, int inputLength,
                                    bool textForm) {
    int needed = Decrypt(handle, input, inputLength, nullptr, 0, textForm);
    if (needed <= 0)
        return {};
    std::vector<uint8_t> output(static_cast<size_t>(needed));
    if (Decrypt(handle, input, inputLength, output.data(), needed, textForm) != 0)
        return {};
    return output;
}

TString EncryptText(TCipherHandle handle, const TString& text) {
    std::vector<uint8_t> form = EncryptToBytes(handle, text.CStr(), text.Length() + 1, true);
    // The text form ends in its NUL.
    return form.empty() ? TString() : TString(reinterpret_cast<const char*>(form.data()));
}

TString DecryptText(TCipherHandle handle, const TString& text) {
    std::vector<uint8_t> bytes = DecryptToBytes(handle, text.CStr(), text.Length(), true);
    // The deciphered bytes are cut at their first NUL.
    const char* data = reinterpret_cast<const char*>(bytes.data());
    return bytes.empty() ? TString() : TString(data, strnlen(data, bytes.size()));
}
