#include "handoff/handoff_request.h"

#include "handoff/native_framing.h"
#include "handoff/our_extension.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <tuple>

namespace tarnwick::handoff {
namespace {

using Json = nlohmann::json;

// An https address of exactly `bytes` bytes.
std::string Address(size_t bytes) {
    std::string address = "https://a.test/";
    address.resize(bytes, 'x');
    return address;
}

Json Item(const Json& extra = Json::object()) {
    Json item{{"url", "https://a.test/v.mp4"}, {"origin", "link"}};
    item.update(extra);
    return item;
}

// `count` cookies whose names and values come to `bytes` bytes in all.
Json Cookies(size_t count, size_t bytes) {
    Json cookies = Json::array();
    for (size_t index = 0; index < count; ++index) {
        const size_t share = bytes / count + (index < bytes % count ? 1 : 0);
        cookies.push_back({{"name", ""}, {"value", std::string(share, 'v')}, {"domain", "a.test"}});
    }
    return cookies;
}

Json ItemWithCookie(const Json& cookie_members) {
    Json cookie{{"name", "n"}, {"value", "v"}, {"domain", "a.test"}};
    cookie.update(cookie_members);
    return Item({{"cookies", Json::array({cookie})}});
}

std::string Add(const std::vector<Json>& items) {
    return Json{{"type", "add"}, {"items", items}}.dump();
}

// The reason the request is refused for, or "added N".
std::string Outcome(std::string_view json) {
    const auto parsed = ParseHandoffRequest(json);
    if (const auto* refusal = std::get_if<Refusal>(&parsed)) return refusal->reason;
    return "added " + std::to_string(std::get<HandoffRequest>(parsed).items.size());
}

struct RequestCase {
    const char* name;
    std::string json;
    std::string outcome;
};

void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.name; }

class RequestTest : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestTest, TakesOrRefusesTheWhole) {
    EXPECT_EQ(Outcome(GetParam().json), GetParam().outcome);
}

const std::string kNotWeb = "Item 2: the address is not http or https";

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestTest,
    testing::Values(
        RequestCase{"bad_utf8", "{\"type\":\"p\xffing\"}", "The request is not UTF-8 text"},
        // An overlong '/' passes the quick check; the JSON reader refuses it.
        RequestCase{"overlong_utf8", "{\"type\":\"\xc0\xafping\"}", "The request is not JSON"},
        RequestCase{"bad_json", R"({"type":"add",)", "The request is not JSON"},
        RequestCase{"not_object", "[]", "The request is not a JSON object"},
        RequestCase{"type_not_text", R"({"type":1})", "The request has no type"},
        RequestCase{"unknown_type", R"({"type":"delete"})", "The request's type is unknown"},
        RequestCase{"items_not_list", R"({"type":"add","items":{}})",
                    "The request has no list of items"},
        RequestCase{"no_items", Add({}), "The request has no items"},
        RequestCase{"url_not_text", Add({Item(), Item({{"url", 5}})}), "Item 2: it has no address"},
        RequestCase{"javascript", Add({Item(), Item({{"url", "javascript:alert(1)"}})}), kNotWeb},
        RequestCase{"file", Add({Item(), Item({{"url", "file:///etc/passwd"}})}), kNotWeb},
        RequestCase{"blob", Add({Item(), Item({{"url", "blob:https://a.test/1"}})}), kNotWeb},
        RequestCase{"data", Add({Item(), Item({{"url", "data:video/mp4,x"}})}), kNotWeb},
        RequestCase{"no_host", Add({Item(), Item({{"url", "https:///v"}})}), kNotWeb},
        RequestCase{"space", Add({Item(), Item({{"url", "https://a.test/a b"}})}), kNotWeb},
        RequestCase{"url_at_cap", Add({Item({{"url", Address(8192)}})}), "added 1"},
        RequestCase{"url_past_cap", Add({Item({{"url", Address(8193)}})}),
                    "Item 1: the address is longer than 8 KiB"},
        RequestCase{"unknown_origin", Add({Item({{"origin", "tab"}})}),
                    "Item 1: its origin is missing or unknown"},
        RequestCase{"page_not_web", Add({Item({{"page", "about:blank"}})}),
                    "Item 1: the page is not http or https"},
        RequestCase{"referrer_not_text", Add({Item({{"referrer", true}})}),
                    "Item 1: the referrer is not text"},
        RequestCase{"agent_control", Add({Item({{"userAgent", "A\r\nX: y"}})}),
                    "Item 1: the user agent holds a control character"},
        RequestCase{"agent_past_cap", Add({Item({{"userAgent", std::string(8193, 'a')}})}),
                    "Item 1: the user agent is longer than 8 KiB"},
        RequestCase{"cookies_not_list", Add({Item({{"cookies", "a=b"}})}),
                    "Item 1: the cookies are not a list"},
        RequestCase{"cookies_at_caps", Add({Item({{"cookies", Cookies(300, 65536)}})}), "added 1"},
        RequestCase{"cookies_past_count", Add({Item({{"cookies", Cookies(301, 1)}})}),
                    "Item 1: it has more than 300 cookies"},
        RequestCase{"cookies_past_bytes", Add({Item({{"cookies", Cookies(3, 65537)}})}),
                    "Item 1: its cookies are longer than 64 KiB"},
        RequestCase{"cookie_not_object", Add({Item({{"cookies", Json::array({1})}})}),
                    "Item 1: cookie 1 is not an object"},
        RequestCase{"cookie_flag_not_bool", Add({ItemWithCookie({{"secure", "yes"}})}),
                    "Item 1: cookie 1 has a secure that is not true or false"},
        RequestCase{"cookie_expiry_not_number", Add({ItemWithCookie({{"expirationDate", "2030"}})}),
                    "Item 1: cookie 1 has an expirationDate that is not a number"},
        RequestCase{"cookie_tab", Add({ItemWithCookie({{"value", "a\tb"}})}),
                    "Item 1: cookie 1 holds a control character"},
        RequestCase{"cookie_no_domain", Add({ItemWithCookie({{"domain", "."}})}),
                    "Item 1: cookie 1 has no domain"},
        RequestCase{"unknown_keys", Add({Item({{"extra", {1, 2}}})}), "added 1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RequestTest, ItemsPastTheCapAreRefused) {
    EXPECT_EQ(Outcome(Add(std::vector<Json>(1000, Item()))), "added 1000");
    EXPECT_EQ(Outcome(Add(std::vector<Json>(1001, Item()))),
              "The request has more than 1000 items");
}

TEST(RequestTest, ReadsTheItemAsTheBrowserMeantIt) {
    const Json cookies = {
        {{"name", "a"}, {"value", "1"}, {"domain", ".a.test"}, {"expirationDate", 1.7e9 + 0.9}},
        {{"name", "b"},
         {"value", ""},
         {"domain", ".a.test"},
         {"hostOnly", true},
         {"session", true},
         {"expirationDate", 5},
         {"secure", true},
         {"httpOnly", true},
         {"path", "/p"}},
        {{"name", "c"}, {"value", "3"}, {"domain", "a.test"}}};
    const auto parsed = ParseHandoffRequest(Add({Item({{"origin", "takeover"},
                                                       {"name", "C:\\dir/sub\\clip.mp4"},
                                                       {"page", "https://a.test/p"},
                                                       {"cookies", cookies}})}));
    ASSERT_TRUE(std::holds_alternative<HandoffRequest>(parsed));
    const HandedItem& item = std::get<HandoffRequest>(parsed).items.at(0);
    EXPECT_EQ(item.origin, ItemOrigin::kTakeover);
    EXPECT_EQ(item.name, "clip.mp4");
    EXPECT_EQ(item.context.page, "https://a.test/p");
    const std::vector<BrowserCookie> expected = {
        {"a", "1", "a.test", "/", false, false, false, 1700000000},
        {"b", "", "a.test", "/p", true, true, true, 0},
        {"c", "3", "a.test", "/", true, false, false, 0}};
    EXPECT_EQ(item.context.cookies, expected);
}

TEST(RequestTest, KeepsOnlyTheLastComponentOfTheName) {
    for (const auto& [name, kept] : std::vector<std::pair<std::string, std::string>>{
             {"a/b/c.mp4", "c.mp4"}, {"..", ""}, {"dir/.", ""}, {"dir/", ""}, {"v.mp4", "v.mp4"}}) {
        const auto parsed = ParseHandoffRequest(Add({Item({{"name", name}})}));
        EXPECT_EQ(std::get<HandoffRequest>(parsed).items.at(0).name, kept) << name;
    }
}

TEST(CallerTest, KnowsOurExtensionInEachBrowser) {
    const std::string chromium = std::string("chrome-extension://") + kChromiumExtensionId + "/";
    EXPECT_TRUE(IsOurCaller({chromium}));
    EXPECT_TRUE(
        IsOurCaller({"/usr/lib/mozilla/native-messaging-hosts/x.json", kFirefoxExtensionId}));
    EXPECT_FALSE(IsOurCaller({}));
    EXPECT_FALSE(IsOurCaller({"chrome-extension://aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/"}));
    EXPECT_FALSE(IsOurCaller({"/x.json", "other@example.org"}));
    EXPECT_FALSE(IsOurCaller({kFirefoxExtensionId}));
}

TEST(ReplyTest, ItemsReplyFitsHoweverLongTheAddresses) {
    std::vector<ItemReply> items(
        1000, ItemReply{Address(8192), ItemReply::Result::kRefused, std::string(500, 'r')});
    items.back().reason = "\xff broken";
    const std::string reply = ItemsReply(items);
    EXPECT_LE(reply.size(), kMaxReplyBytes);
    const Json json = Json::parse(reply);
    ASSERT_EQ(json["items"].size(), 1000u);
    EXPECT_EQ(json["items"][0]["url"], Address(8192));
    EXPECT_LT(json["items"][999]["url"].get<std::string>().size(), 8192u);
    EXPECT_EQ(json["items"][999]["result"], "refused");
}

TEST(ReplyTest, RepliesAreJson) {
    EXPECT_EQ(Json::parse(PingReply("1.2.3")), Json({{"ok", true}, {"version", "1.2.3"}}));
    EXPECT_EQ(Json::parse(RefusalReply("No")), Json({{"ok", false}, {"reason", "No"}}));
    EXPECT_EQ(Json::parse(ItemsReply({{"https://a.test/", ItemReply::Result::kListed, ""}})),
              Json::parse(R"({"ok":true,"items":[{"url":"https://a.test/","result":"listed"}]})"));
}

TEST(ChannelTest, AnItemComesBackAsItWent) {
    HandedItem item{"https://a.test/v",
                    ItemOrigin::kMedia,
                    "line\nbreak.mp4",
                    {"https://a.test/",
                     "",
                     "Agent/1",
                     {{"n", "v", "a.test", "/", true, true, false, 1700000000}}}};
    const std::string line = ChannelItemLine(item);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = ParseChannelItemLine(line + "\n");
    ASSERT_TRUE(std::holds_alternative<HandedItem>(back));
    EXPECT_EQ(std::get<HandedItem>(back), item);
}

TEST(ChannelTest, TheProgramsAnswersReadBackAsReplies) {
    using Result = ItemReply::Result;
    for (const ItemReply& reply :
         {ItemReply{"https://a.test/", Result::kAdded, ""},
          ItemReply{"https://a.test/", Result::kListed, ""},
          ItemReply{"https://a.test/", Result::kRefused, "The list is full"}}) {
        const ItemReply back = ReplyOfAnswer(reply.url, AnswerLine(reply.result, reply.reason));
        EXPECT_EQ(std::tie(back.result, back.reason), std::tie(reply.result, reply.reason));
    }
    EXPECT_EQ(ReplyOfAnswer("https://a.test/", "maybe").result, Result::kRefused);
}

TEST(ChannelTest, ALineIsCheckedAgain) {
    const auto refused = [](std::string_view line) {
        const auto parsed = ParseChannelItemLine(line);
        return std::holds_alternative<Refusal>(parsed) ? std::get<Refusal>(parsed).reason : "";
    };
    EXPECT_EQ(refused(R"({"url":"file:///x","origin":"link"})"),
              "The item: the address is not http or https");
    EXPECT_EQ(refused("{\"url\":\"https://a.test/\",\n\"origin\":\"link\"}"),
              "The item is not one line");
    EXPECT_EQ(refused(Item({{"cookies", Cookies(301, 1)}}).dump()),
              "The item: it has more than 300 cookies");
}

} // namespace
} // namespace tarnwick::handoff
