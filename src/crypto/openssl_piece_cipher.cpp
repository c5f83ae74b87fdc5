#include "crypto/openssl_piece_cipher.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace tarnwick::crypto {
namespace {

constexpr size_t kBlockSize = 16;
// EVP counts bytes in an int: a piece goes through it in slices of this size.
constexpr size_t kSliceSize = 1024 * 1024;
static_assert(kSliceSize % kBlockSize == 0);

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextFree>;

Failure NotDecrypted(std::string detail) {
    return Failure{Reason::kNotDecrypted, 0, std::move(detail)};
}

std::optional<Failure> CheckSizes(std::string_view key, std::string_view cipher_text) {
    if (key.size() != kBlockSize)
        return NotDecrypted("the key is " + std::to_string(key.size()) + " bytes, not 16");
    if (cipher_text.empty()) return NotDecrypted("the piece is empty");
    if (cipher_text.size() % kBlockSize != 0)
        return NotDecrypted("the piece is " + std::to_string(cipher_text.size()) +
                            " bytes, not whole blocks of 16");
    return std::nullopt;
}

// The length of `plain` without its PKCS#7 padding: the last byte counts the
// padding bytes (1 to 16), and each of them holds that count.
std::optional<size_t> UnpaddedLength(std::string_view plain) {
    const auto count = static_cast<unsigned char>(plain.back());
    if (count == 0 || count > kBlockSize) return std::nullopt;
    const std::string_view padding = plain.substr(plain.size() - count);
    if (std::ranges::any_of(padding,
                            [&](char c) { return static_cast<unsigned char>(c) != count; }))
        return std::nullopt;
    return plain.size() - count;
}

// Decrypts whole blocks, leaving the padding in place.
bool DecryptBlocks(std::string_view key, const std::array<uint8_t, 16>& iv,
                   std::string_view cipher_text, std::string& plain) {
    const Context context(EVP_CIPHER_CTX_new());
    if (!context) return false;
    const auto* key_bytes = reinterpret_cast<const unsigned char*>(key.data());
    if (EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, key_bytes, iv.data()) != 1)
        return false;
    EVP_CIPHER_CTX_set_padding(context.get(), 0);
    plain.resize(cipher_text.size());
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    for (size_t done = 0; done < cipher_text.size();) {
        const size_t slice = std::min(kSliceSize, cipher_text.size() - done);
        const auto* in = reinterpret_cast<const unsigned char*>(cipher_text.data() + done);
        int written = 0;
        if (EVP_DecryptUpdate(context.get(), out + done, &written, in, static_cast<int>(slice)) !=
                1 ||
            static_cast<size_t>(written) != slice)
            return false;
        done += slice;
    }
    int last = 0;
    return EVP_DecryptFinal_ex(context.get(), out + cipher_text.size(), &last) == 1 && last == 0;
}

} // namespace

Result<std::string> OpenSslPieceCipher::DecryptAes128Cbc(std::string_view key,
                                                         const std::array<uint8_t, 16>& iv,
                                                         std::string_view cipher_text) const {
    if (auto failure = CheckSizes(key, cipher_text)) return std::move(*failure);
    std::string plain;
    if (!DecryptBlocks(key, iv, cipher_text, plain)) return NotDecrypted("OpenSSL failed");
    const std::optional<size_t> length = UnpaddedLength(plain);
    if (!length) return NotDecrypted("the padding is wrong");
    plain.resize(*length);
    return plain;
}

} // namespace tarnwick::crypto
