#pragma once

#include "framework/core/text/TString.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The value cipher of the preferences database: Blowfish in ECB mode with a
// padding of its own, keyed from the start-up key text ("encryptionkey"),
// and a text form that wraps the cipher output in Base64.
//
// The context is owned by whoever made it with MakeCipher and freed with
// DestroyCipher. It remembers the length of the last output it delivered,
// so one context belongs to one thread.
struct TCipherContext;
using TCipherHandle = TCipherContext*;

// Builds a context from a key text of any length (an empty text is fine).
TCipherHandle MakeCipher(const TString& keyText);
void DestroyCipher(TCipherHandle handle);

// Both follow one calling pattern. When output is null or the result does
// not fit in outputCapacity, nothing is copied and the number of bytes
// needed is returned. Otherwise the result is copied, the context's last
// output length is set to its size and 0 is returned.
//
// Raw form: Encrypt appends 1 to 8 padding bytes (each the padding count)
// and enciphers every 8-byte block; Decrypt deciphers and drops as many
// bytes as the last deciphered byte says, giving nothing when that count
// is out of range. Text form: the raw output as Base64 plus a NUL.
int Encrypt(TCipherHandle handle, const void* input, int inputLength, void* output,
            int outputCapacity, bool textForm);
int Decrypt(TCipherHandle handle, const void* input, int inputLength, void* output,
            int outputCapacity, bool textForm);
int LastCipherLength(TCipherHandle handle);

// Encrypt and Decrypt with the size asked first; the whole output as
// bytes (the text form with its NUL). Empty when nothing is produced.
std::vector<uint8_t> EncryptToBytes(TCipherHandle handle, const void* input, int inputLength,
                                    bool textForm);
std::vector<uint8_t> DecryptToBytes(TCipherHandle handle, const void* input, int inputLength,
                                    bool textForm);

// The text form of the text's bytes followed by its NUL; empty when nothing
// is produced.
TString EncryptText(TCipherHandle handle, const TString& text);
// The inverse of EncryptText: the deciphered bytes up to their first NUL.
TString DecryptText(TCipherHandle handle, const TString& text);

// Below the framing: a context keyed directly with raw key bytes (8 to 56)
// and the single-block operation, for checking the block cipher against its
// published vectors. Null when the key length is out of range.
TCipherHandle MakeCipherFromKeyBytes(const uint8_t* key, size_t length);
void EncryptBlock(TCipherHandle handle, const uint8_t in[8], uint8_t out[8]);
void DecryptBlock(TCipherHandle handle, const uint8_t in[8], uint8_t out[8]);

// The 12-character key text that MakeCipher derives its 9 key bytes from.
TString CipherKeyText(const TString& keyText);

// Base64 with the standard alphabet, "=" for missing bytes, no line breaks.
// Decoding completes a length that is not a multiple of four with "=";
// each group of four gives three bytes, one fewer for each trailing "=". A
// "=" inside a group reads as 0, any other character outside the alphabet
// as its low six bits.
TString Base64Encode(const void* data, size_t length);
std::string Base64Decode(const char* text, size_t length);
