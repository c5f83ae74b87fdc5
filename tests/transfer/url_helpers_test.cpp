#include "transfer/url_helpers.h"

#include <gtest/gtest.h>
#include <ostream>

#include <stdexcept>

namespace tarnwick::transfer {
namespace {

struct SplitCase {
    const char* name;
    std::string address;
    std::string host;
    std::string path; // the path argument starts as "kept"
};

void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

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

struct ProbeCase {
    const char* name;
    std::string link;
    std::optional<std::string> address;
};

void PrintTo(const ProbeCase& c, std::ostream* out) { *out << c.name; }

class ProbeAddressTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeAddressTest, AsksOnlyAPlainHost) {
    EXPECT_EQ(ProbeAddress(GetParam().link), GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Links, ProbeAddressTest,
    testing::Values(ProbeCase{"Plain", "http://host.com/a/b.flv", "http://host.com/a/b.flv"},
                    ProbeCase{"SchemeInCapitals", "HTTP://Host.COM/x", "http://Host.COM/x"},
                    ProbeCase{"EmptyPathAsksTheRoot", "http://host.com", "http://host.com/"},
                    ProbeCase{"PortAndSecure", "https://host.com:8443/a",
                              "https://host.com:8443/a"},
                    ProbeCase{"IpSixInBrackets", "http://[::1]:80/a", "http://[::1]:80/a"},
                    ProbeCase{"OtherSchemeLeftInTheHost", "ftp://host.com/a", std::nullopt},
                    ProbeCase{"CredentialsInTheHost", "http://user:pw@host.com/a", std::nullopt},
                    ProbeCase{"PortThatIsNoNumber", "http://host.com:80x/a", std::nullopt},
                    ProbeCase{"EmptyHost", "http:///a", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::transfer
