#include "crypto/openssl_piece_cipher.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

namespace tarnwick::crypto {
namespace {

using Iv = std::array<uint8_t, 16>;

std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

Iv IvFromHex(std::string_view hex) {
    Iv iv{};
    std::ranges::copy(FromHex(hex), iv.begin());
    return iv;
}

// `plain` and its PKCS#7 padding, encrypted by libcrypto.
std::string Encrypt(std::string_view key, const Iv& iv, std::string_view plain) {
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                            EVP_CIPHER_CTX_free);
    std::string out(plain.size() + 16, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(out.data());
    int written = 0, last = 0;
    EVP_EncryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                       reinterpret_cast<const unsigned char*>(key.data()), iv.data());
    EVP_EncryptUpdate(context.get(), bytes, &written,
                      reinterpret_cast<const unsigned char*>(plain.data()),
                      static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(context.get(), bytes + written, &last);
    out.resize(written + last);
    return out;
}

// The CBC-AES128 vectors of NIST SP 800-38A (F.2); `openssl enc` adds the
// last block of cipher text, whose plain text is a whole block of padding.
const std::string kKey = FromHex("2b7e151628aed2a6abf7158809cf4f3c");
const Iv kIv = IvFromHex("000102030405060708090a0b0c0d0e0f");
const std::string kPlain = FromHex(
    "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
const std::string kCipher = FromHex(
    "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
    "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
const std::string kPaddingBlock = FromHex("8cb82807230e1321d3fae00d18cc2012");

std::string FailureDetail(const Result<std::string>& result) {
    if (result.has_value()) return "decrypted";
    EXPECT_EQ(result.failure().reason, Reason::kNotDecrypted);
    return result.failure().detail;
}

TEST(OpenSslPieceCipherTest, DecryptsKnownAnswers) {
    const OpenSslPieceCipher cipher;
    const auto nist = cipher.DecryptAes128Cbc(kKey, kIv, kCipher + kPaddingBlock);
    ASSERT_TRUE(nist.has_value()) << nist.failure().detail;
    EXPECT_EQ(nist.value(), kPlain);

    // Made by `openssl enc -aes-128-cbc -K ... -iv ...`: eight bytes of padding.
    const auto sample = cipher.DecryptAes128Cbc(
        FromHex("55c44cfa6c1d847495963a89e3583048"), IvFromHex("1a038fcccd8c785aa9ba9f09623abb61"),
        FromHex("549f7e5faa3e333cf622a4dce446b6334f1c59239d00390fa1a3799cbe43e816"
                "325f4e8dfab8975d2435aac2912f186e"));
    ASSERT_TRUE(sample.has_value()) << sample.failure().detail;
    EXPECT_EQ(sample.value(), "A piece of video, 40 bytes long: 0123456");
}

TEST(OpenSslPieceCipherTest, RefusesKeysAndPiecesOfTheWrongSize) {
    const OpenSslPieceCipher cipher;
    EXPECT_EQ(FailureDetail(cipher.DecryptAes128Cbc(kKey + kKey, kIv, kCipher)),
              "the key is 32 bytes, not 16");
    EXPECT_EQ(FailureDetail(cipher.DecryptAes128Cbc(kKey, kIv, "")), "the piece is empty");
    EXPECT_EQ(FailureDetail(cipher.DecryptAes128Cbc(kKey, kIv, kCipher.substr(0, 47))),
              "the piece is 47 bytes, not whole blocks of 16");
}

TEST(OpenSslPieceCipherTest, RefusesWrongPadding) {
    const OpenSslPieceCipher cipher;
    // The vectors end in 0x10 but hold no padding.
    EXPECT_EQ(FailureDetail(cipher.DecryptAes128Cbc(kKey, kIv, kCipher)), "the padding is wrong");
    // In CBC, a byte changed in one block of cipher text changes the same byte
    // of the next plain block: the padding's 0x10 becomes 0x00, 0x11, or 0x0f
    // in a place that is not the last.
    for (const auto& [place, plain_byte] : {std::pair{15, 0x00}, {15, 0x11}, {3, 0x0f}}) {
        std::string piece = kCipher + kPaddingBlock;
        piece[48 + place] = static_cast<char>(piece[48 + place] ^ 0x10 ^ plain_byte);
        EXPECT_EQ(FailureDetail(cipher.DecryptAes128Cbc(kKey, kIv, piece)), "the padding is wrong")
            << place << " " << plain_byte;
    }
}

TEST(OpenSslPieceCipherTest, DecryptsALargePieceEncryptedByLibcrypto) {
    std::mt19937 random(24);
    std::string plain(4 * 1024 * 1024 + 5, '\0');
    std::ranges::generate(plain, [&] { return static_cast<char>(random()); });
    const std::string key = plain.substr(100, 16);

    const auto result = OpenSslPieceCipher().DecryptAes128Cbc(key, kIv, Encrypt(key, kIv, plain));
    ASSERT_TRUE(result.has_value()) << result.failure().detail;
    EXPECT_TRUE(result.value() == plain);
}

} // namespace
} // namespace tarnwick::crypto
