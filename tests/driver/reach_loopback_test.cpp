// Where an item's requests may go, through the real HTTP client: once an
// answer came from a public address (a server on 127.0.0.2 plays one), a
// link in its page or a redirect never leads to a local one. Addresses the
// user gave that are local themselves stay allowed, as every other loopback
// test shows.
#include "driver/loopback_harness.h"

#include <string>

namespace tarnwick::driver {
namespace {

using test_support::Answer;

class ReachLoopbackTest : public LoopbackRunTest {
protected:
    int LocalRequests(const std::string& target) const {
        int count = 0;
        for (const test_support::Request& request : server.Requests()) {
            count += request.target == target ? 1 : 0;
        }
        return count;
    }
    void ExpectRefused(list::ItemKey key) {
        EXPECT_EQ(Status(key), "ERROR");
        ASSERT_TRUE(Item(key).rare->failure);
        EXPECT_EQ(*Item(key).rare->failure, (Failure{Reason::kPrivateAddress, 0, "127.0.0.1"}));
        EXPECT_EQ(LocalRequests("/v/clip.flv"), 0) << "the local server was asked";
        EXPECT_TRUE(FilesInVideos().empty());
    }

    test_support::LoopbackServer public_server{kPublicHost};
};

TEST_F(ReachLoopbackTest, APublicPageCannotLinkToALocalVideo) {
    server.Serve("/v/clip.flv", VideoAnswer("local secrets"));
    public_server.Serve(
        "/putfile.com/clip",
        Answer::Http(200, "OK", {}, "<a href='" + server.Url("/v/clip.flv") + "'>"));
    list::AddVideoURL(queue, public_server.Url("/putfile.com/clip"));
    const list::ItemKey key = queue.LastKey();
    RunToTheEnd();
    ExpectRefused(key);
}

TEST_F(ReachLoopbackTest, APublicPageOfNoSupportedSiteCannotLinkToALocalVideo) {
    server.Serve("/v/clip.flv", VideoAnswer("local secrets"));
    public_server.Serve("/story",
                        Answer::Http(200, "OK", {"Content-Type: text/html"},
                                     "<video src='" + server.Url("/v/clip.flv") + "'></video>"));
    list::AddVideoURL(queue, public_server.Url("/story"), true);
    const list::ItemKey key = queue.LastKey();
    RunToTheEnd();
    ExpectRefused(key);
}

TEST_F(ReachLoopbackTest, APublicPageCannotRedirectToALocalOne) {
    public_server.Serve("/watch",
                        Answer::Http(302, "Found", {"Location: " + server.Url("/v/clip.flv")}));
    server.Serve("/v/clip.flv", VideoAnswer("local secrets", {"Content-Type: video/mp4"}));
    list::AddVideoURL(queue, public_server.Url("/watch"), true);
    const list::ItemKey key = queue.LastKey();
    RunToTheEnd();
    ExpectRefused(key);
}

} // namespace
} // namespace tarnwick::driver
