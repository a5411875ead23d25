// Feeds arbitrary bytes to the deciphering side of the value cipher, raw
// and as Base64 text: it must never read outside the input, never give more
// bytes than the input holds, and whatever it is given as a value it
// enciphered must come back unchanged.

#include "framework/core/prefs/TCipher.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

TCipherHandle Cipher() {
    static TCipherHandle cipher = MakeCipher("fuzz-key");
    return cipher;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16)
        return 0;
    std::vector<uint8_t> bytes(data, data + size); // exact size for ASan
    int length = static_cast<int>(size);
    TCipherHandle cipher = Cipher();

    for (bool textForm : {false, true}) {
        int needed = Decrypt(cipher, bytes.data(), length, nullptr, 0, textForm);
        // Base64 gives at most three bytes for every four characters,
        // rounded up to whole groups.
        int limit = textForm ? (length + 3) / 4 * 3 : length;
        if (needed < 0 || needed > limit)
            std::abort();
        std::vector<uint8_t> out(static_cast<size_t>(needed));
        if (needed > 0 &&
            (Decrypt(cipher, bytes.data(), length, out.data(), needed, textForm) != 0 ||
             LastCipherLength(cipher) != needed))
            std::abort();
        // The same size asked again is the same answer.
        if (Decrypt(cipher, bytes.data(), length, nullptr, 0, textForm) != needed)
            std::abort();
    }

    std::string decoded = Base64Decode(reinterpret_cast<const char*>(bytes.data()), size);
    if (decoded.size() > (size + 3) / 4 * 3)
        std::abort();
    std::string chars(bytes.begin(), bytes.end());
    TString text(chars.substr(0, chars.find('\0')));
    if (DecryptText(cipher, text).Length() > text.Length())
        std::abort();

    // The input as a value: both forms give it back.
    for (bool textForm : {false, true}) {
        std::vector<uint8_t> enciphered = EncryptToBytes(cipher, bytes.data(), length, textForm);
        if (enciphered.empty())
            std::abort();
        int formLength = static_cast<int>(enciphered.size()) - (textForm ? 1 : 0);
        std::vector<uint8_t> back = DecryptToBytes(cipher, enciphered.data(), formLength, textForm);
        if (back != bytes)
            std::abort();
    }
    std::string encoded = Base64Encode(bytes.data(), size).ToStd();
    if (Base64Decode(encoded.data(), encoded.size()) != std::string(bytes.begin(), bytes.end()))
        std::abort();
    return 0;
}
