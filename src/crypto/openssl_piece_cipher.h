// Pieces decrypted with OpenSSL's libcrypto (its EVP interface, which uses the
// processor's AES instructions where there are any).
#pragma once

#include "platform/piece_cipher.h"

namespace tarnwick::crypto {

class OpenSslPieceCipher : public platform::PieceCipher {
public:
    Result<std::string> DecryptAes128Cbc(std::string_view key, const std::array<uint8_t, 16>& iv,
                                         std::string_view cipher_text) const override;
};

} // namespace tarnwick::crypto
