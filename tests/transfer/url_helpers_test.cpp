#include "transfer/url_helpers.h"
#include "transfer/connection_check.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tarnwick::transfer {
namespace {

struct SplitCase {
    const char* name;
    std::string address;
    std::string host;
    std::string path; // the path argument starts as "kept"
};

class SplitUrlTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitUrlTest, SplitsHostFromPath) {
    std::string url = GetParam().address;
    std::string path = "kept";
    SplitUrl(url, path);
    EXPECT_EQ(url, GetParam().host);
    EXPECT_EQ(path, GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SplitUrlTest,
    ::testing::Values(
        SplitCase{"Plain", "http://www.host.com/videos/clip.flv", "www.host.com",
                  "/videos/clip.flv"},
        SplitCase{"SchemeInCapitals", "HTTP://Host.COM/Path/A", "Host.COM", "/Path/A"},
        SplitCase{"NoSlashKeepsThePath", "http://host.com", "host.com", "kept"},
        SplitCase{"PortStaysInTheHost", "http://host.com:8080/a?b=/c", "host.com:8080", "/a?b=/c"},
        SplitCase{"Secure", "https://host.com/a/b", "host.com", "/a/b"},
        SplitCase{"SecureInMixedCase", "HtTpS://host.com:8443/a", "host.com:8443", "/a"},
        SplitCase{"OtherSchemeStays", "ftp://host.com/a", "ftp:", "//host.com/a"},
        SplitCase{"NoScheme", "host.com/a", "host.com", "/a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StripNull, CutsAtTheFirstNul) {
    EXPECT_EQ(StripNull(std::string("200\0   ", 7)), "200");
    EXPECT_EQ(StripNull(std::string("\0x", 2)), "");
    EXPECT_EQ(StripNull("no nul"), "no nul");
}

class ScriptedConnectivity : public platform::Connectivity {
public:
    enum class Answer { kYes, kNo, kThrow };
    explicit ScriptedConnectivity(Answer answer) : answer_(answer) {}
    bool HasConnection() override {
        if (answer_ == Answer::kThrow) throw std::runtime_error("no interfaces");
        return answer_ == Answer::kYes;
    }

private:
    Answer answer_;
};

TEST(IsInternetConnected, AnswersThePlatformAndNeverFails) {
    ScriptedConnectivity yes(ScriptedConnectivity::Answer::kYes);
    ScriptedConnectivity no(ScriptedConnectivity::Answer::kNo);
    ScriptedConnectivity broken(ScriptedConnectivity::Answer::kThrow);
    EXPECT_TRUE(IsInternetConnected(yes));
    EXPECT_FALSE(IsInternetConnected(no));
    EXPECT_FALSE(IsInternetConnected(broken));
}

} // namespace
} // namespace tarnwick::transfer
