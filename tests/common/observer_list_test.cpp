#include "common/observer_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

struct Listener {
    std::string name;
    std::vector<std::string>* heard;
    // What the listener does when told, once.
    std::function<void()> on_told;

    void Tell() {
        heard->push_back(name);
        if (on_told) std::exchange(on_told, nullptr)();
    }
};

TEST(ObserverList, RemovedDuringARoundAreNotToldAgainAndAddedAreToldFromTheNext) {
    ObserverList<Listener> list;
    std::vector<std::string> heard;
    Listener a{"a", &heard, {}}, b{"b", &heard, {}}, c{"c", &heard, {}}, d{"d", &heard, {}};
    for (Listener* listener : {&a, &b, &c}) list.Add(listener);
    list.Add(&a); // already in: stays once, in its place
    const auto tell = [](Listener& listener) { listener.Tell(); };
    // a takes c out and d in; b takes itself out.
    a.on_told = [&] {
        list.Remove(&c);
        list.Add(&d);
    };
    b.on_told = [&] { list.Remove(&b); };
    list.Notify(tell);
    EXPECT_EQ(heard, (std::vector<std::string>{"a", "b"}));
    heard.clear();
    list.Notify(tell);
    EXPECT_EQ(heard, (std::vector<std::string>{"a", "d"}));
}

TEST(ObserverList, ARoundInsideARoundTellsWhoIsInTheListThen) {
    ObserverList<Listener> list;
    std::vector<std::string> heard;
    Listener a{"a", &heard, {}}, b{"b", &heard, {}}, c{"c", &heard, {}};
    list.Add(&a);
    list.Add(&b);
    const auto tell = [](Listener& listener) { listener.Tell(); };
    // a removes b and adds c, then starts a round of its own within this one.
    a.on_told = [&] {
        list.Remove(&b);
        list.Add(&c);
        heard.push_back("[");
        list.Notify(tell);
        heard.push_back("]");
    };
    list.Notify(tell);
    EXPECT_EQ(heard, (std::vector<std::string>{"a", "[", "a", "c", "]"}));
    heard.clear();
    list.Remove(&a);
    list.Add(&b); // goes after c: the emptied place is gone
    list.Notify(tell);
    EXPECT_EQ(heard, (std::vector<std::string>{"c", "b"}));
}

} // namespace
} // namespace tarnwick
