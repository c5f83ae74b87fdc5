// Child processes that run nothing: each start is recorded, and the test ends
// a child when it likes with the end it chooses, told at once as the event
// loop would tell it. Programs are found in a table the test fills.
#pragma once

#include "platform/child_process.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::fakes {

class FakeChildProcesses : public platform::ChildProcesses {
public:
    struct Started {
        platform::ChildRequest request;
        OnEnd on_end;
        // Until it is ended or destroyed.
        bool running = true;
        // Destroyed while it ran.
        bool killed = false;
    };

    std::unique_ptr<platform::Child> Start(platform::ChildRequest request, OnEnd on_end) override {
        started.push_back(
            std::make_shared<Started>(Started{std::move(request), std::move(on_end)}));
        return std::make_unique<FakeChild>(started.back());
    }

    std::optional<std::string> Find(std::string_view name) const override {
        const auto found = programs.find(name);
        if (found == programs.end()) return std::nullopt;
        return found->second;
    }

    // Ends the child started `index`-th with `end`; false when it no longer runs.
    bool End(size_t index, platform::ChildEnd end) {
        const std::shared_ptr<Started> child = started.at(index);
        if (!child->running) return false;
        child->running = false;
        // The handler may destroy the child.
        const OnEnd on_end = child->on_end;
        on_end(std::move(end));
        return true;
    }

    size_t Running() const {
        size_t running = 0;
        for (const auto& child : started) running += child->running ? 1 : 0;
        return running;
    }

    std::vector<std::shared_ptr<Started>> started;
    // Names to the paths Find answers.
    std::map<std::string, std::string, std::less<>> programs;

private:
    class FakeChild : public platform::Child {
    public:
        explicit FakeChild(std::shared_ptr<Started> started) : started_(std::move(started)) {}
        ~FakeChild() override {
            if (!started_->running) return;
            started_->running = false;
            started_->killed = true;
        }

    private:
        std::shared_ptr<Started> started_;
    };
};

} // namespace tarnwick::fakes
