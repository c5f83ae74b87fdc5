// Decrypting the pieces of a streamed video: each piece is decrypted whole,
// in memory, once all of it has arrived.
#pragma once

#include "common/result.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick::platform {

class PieceCipher {
public:
    virtual ~PieceCipher() = default;
    // The plain bytes of `cipher_text`, which AES-128 in CBC mode made with
    // `key` (16 bytes) and `iv`, from the plain bytes and their PKCS#7
    // padding; the padding is taken off. Fails (kNotDecrypted, with a short
    // detail) on a key of another size, on a cipher text that is empty or not
    // whole blocks of 16 bytes, and on padding that is wrong; a failure never
    // hands on undecrypted bytes.
    virtual Result<std::string> DecryptAes128Cbc(std::string_view key,
                                                 const std::array<uint8_t, 16>& iv,
                                                 std::string_view cipher_text) const = 0;
};

} // namespace tarnwick::platform
