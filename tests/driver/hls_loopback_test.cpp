// Streamed videos (HLS) through the real HTTP client: playlists read, pieces
// fetched and decrypted, and one file written in their order.
#include "driver/loopback_harness.h"

#include "list/reason_texts.h"

#include <openssl/evp.h>

#include <fstream>
#include <iterator>

namespace tarnwick::driver {
namespace {

using test_support::Answer;

const std::vector<std::string> kPlaylistType = {"Content-Type: application/vnd.apple.mpegurl"};

std::string Piece(char fill, size_t size) { return std::string(size, fill); }

std::string Encrypted(const std::string& plain, const std::string& key, const std::string& iv) {
    std::string out(plain.size() + 16, '\0');
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    int written = 0, last = 0;
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr,
                       reinterpret_cast<const unsigned char*>(key.data()),
                       reinterpret_cast<const unsigned char*>(iv.data()));
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &written,
                      reinterpret_cast<const unsigned char*>(plain.data()),
                      static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + written, &last);
    EVP_CIPHER_CTX_free(context);
    out.resize(static_cast<size_t>(written + last));
    return out;
}

class HlsLoopbackTest : public LoopbackRunTest {
protected:
    list::ItemKey AddGeneral(const std::string& target) {
        list::AddVideoURL(queue, server.Url(target), true);
        return queue.LastKey();
    }
    void ServePlaylist(const std::string& target, const std::string& text) {
        server.Serve(target, Answer::Http(200, "OK", kPlaylistType, text));
    }
    std::string Contents(const std::string& name) const {
        std::ifstream in(Video(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    int CountRequests(const std::string& target) const {
        int count = 0;
        for (const auto& request : server.Requests()) count += request.target == target ? 1 : 0;
        return count;
    }
};

TEST_F(HlsLoopbackTest, APagesPlaylistBecomesOneFileOfItsPiecesInOrder) {
    server.Serve("/news/story",
                 Answer::Http(200, "OK", {"Content-Type: text/html"},
                              "<title>Harbour\n tour: 3/4</title><video><source "
                              "src='/hls/index.m3u8' type='application/vnd.apple.mpegurl'>"
                              "</video>"));
    ServePlaylist("/hls/index.m3u8",
                  "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXT-X-PLAYLIST-TYPE:VOD\n"
                  "#EXTINF:4,\nseg0.ts\n#EXTINF:4,\nseg1.ts\n#EXTINF:4,\n/hls/seg2.ts\n"
                  "#EXT-X-ENDLIST\n");
    // The first piece is the slowest: the others wait for it.
    server.Serve("/hls/seg0.ts", Answer::Http(200, "OK", {}, Piece('a', 70000)));
    server.Serve("/hls/seg1.ts", Answer::Http(200, "OK", {}, Piece('b', 50000)));
    server.Serve("/hls/seg2.ts", Answer::Http(200, "OK", {}, Piece('c', 3)));
    const list::ItemKey key = AddGeneral("/news/story");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "Complete") << list::ReasonText(Item(key));
    const std::string name = "Harbour tour 34.ts";
    EXPECT_EQ(Name(key), name) << "named for the page's title";
    EXPECT_TRUE(Contents(name) == Piece('a', 70000) + Piece('b', 50000) + Piece('c', 3));
    EXPECT_EQ(FilesInVideos(), std::set<std::string>{name});
}

TEST_F(HlsLoopbackTest, AMasterPlaylistsBestStreamWithItsOwnSoundIsDecryptedIntoAnMp4) {
    ServePlaylist("/show/master.m3u8",
                  "#EXTM3U\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=640x360\nlow/index.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=2800000,RESOLUTION=1280x720\nhigh/index.m3u8\n");
    const std::string key = "0123456789abcdef";
    const std::string iv(16, '\x01');
    const std::string iv_hex = "0x01010101010101010101010101010101";
    ServePlaylist("/show/high/index.m3u8",
                  "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXT-X-MEDIA-SEQUENCE:7\n"
                  "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/k1\",IV=" +
                      iv_hex +
                      "\n"
                      "#EXT-X-MAP:URI=\"init.mp4\"\n"
                      "#EXTINF:6,\nf1.m4s\n#EXTINF:6,\nf2.m4s\n#EXT-X-ENDLIST\n");
    server.Serve("/keys/k1", Answer::Http(200, "OK", {}, key));
    server.Serve("/show/high/init.mp4", Answer::Http(200, "OK", {}, Encrypted("INIT", key, iv)));
    server.Serve("/show/high/f1.m4s",
                 Answer::Http(200, "OK", {}, Encrypted(Piece('x', 40000), key, iv)));
    server.Serve("/show/high/f2.m4s",
                 Answer::Http(200, "OK", {}, Encrypted(Piece('y', 17), key, iv)));
    const list::ItemKey item = AddGeneral("/show/master.m3u8");
    RunToTheEnd();
    ASSERT_EQ(Status(item), "Complete") << list::ReasonText(Item(item));
    EXPECT_EQ(Name(item), "master.mp4") << "named for the address listed";
    EXPECT_TRUE(Contents("master.mp4") == "INIT" + Piece('x', 40000) + Piece('y', 17));
    EXPECT_EQ(CountRequests("/keys/k1"), 1) << "a key is fetched once";
    EXPECT_EQ(CountRequests("/show/low/index.m3u8"), 0);
}

struct RefusedCase {
    const char* name;
    std::string playlist;
    Reason reason;
};

class RefusedStreamTest : public HlsLoopbackTest,
                          public testing::WithParamInterface<RefusedCase> {};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

TEST_P(RefusedStreamTest, EndsWithItsReasonAndWritesNothing) {
    ServePlaylist("/tv/live.m3u8", GetParam().playlist);
    server.Serve("/tv/s.ts", Answer::Http(200, "OK", {}, Piece('s', 100)));
    server.Serve("/tv/short.key", Answer::Http(200, "OK", {}, "too short"));
    const list::ItemKey key = AddGeneral("/tv/live.m3u8");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "ERROR");
    EXPECT_EQ(Item(key).rare->failure->reason, GetParam().reason);
    EXPECT_TRUE(FilesInVideos().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Streams, RefusedStreamTest,
    testing::Values(
        RefusedCase{"Live", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\ns.ts\n",
                    Reason::kLiveStream},
        RefusedCase{"Protected",
                    "#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"skd://k\"\n#EXTINF:2,\ns.ts\n"
                    "#EXT-X-ENDLIST\n",
                    Reason::kProtectedVideo},
        RefusedCase{"SoundApart",
                    "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"en\",DEFAULT=YES,"
                    "URI=\"a.m3u8\"\n#EXT-X-STREAM-INF:BANDWIDTH=1,AUDIO=\"a\"\nv.m3u8\n",
                    Reason::kSoundSeparate},
        RefusedCase{"KeyOfAnotherSize",
                    "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"short.key\"\n#EXTINF:2,\ns.ts\n"
                    "#EXT-X-ENDLIST\n",
                    Reason::kNotDecrypted}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HlsLoopbackTest, APageOfDashManifestsOnlySaysSo) {
    server.Serve("/live", Answer::Http(200, "OK", {"Content-Type: text/html"},
                                       "<video><source src='/dash/index.mpd' "
                                       "type='application/dash+xml'></video>"));
    const list::ItemKey key = AddGeneral("/live");
    RunToTheEnd();
    ASSERT_EQ(Status(key), "ERROR");
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kStreamedVideo);
}

} // namespace
} // namespace tarnwick::driver
