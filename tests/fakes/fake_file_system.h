// The system's file calls, with refusals a test chooses: each call can be
// made to fail with an error number instead of reaching the system, as file
// systems that lack a way (FUSE mounts, read-only media) answer. Every call
// is recorded, in order.
#pragma once

#include "transfer/file_system.h"

#include <map>
#include <string>
#include <vector>

namespace tarnwick::test_support {

class FakeFileSystem : public transfer::files::FileSystem {
public:
    enum class Call { kRenameNoReplace, kLink, kCreateEmpty, kRename, kRemoveName, kSyncFolder };
    struct Made {
        Call call;
        std::string path;
    };

    // `call` answers `error` from now on, without reaching the system.
    void Refuse(Call call, int error) { refusals_[call] = error; }
    void Allow(Call call) { refusals_.erase(call); }
    // Refuses what a FUSE mount without renameat2's flag or hard links refuses.
    void LikeFuse(int link_error) {
        Refuse(Call::kRenameNoReplace, EINVAL);
        Refuse(Call::kLink, link_error);
    }

    const std::vector<Made>& Calls() const { return calls_; }
    bool WasCalled(Call call) const {
        for (const Made& made : calls_) {
            if (made.call == call) return true;
        }
        return false;
    }

    Status RenameNoReplace(const std::string& from, const std::string& to) override {
        return Pass(Call::kRenameNoReplace, to, [&] { return system_.RenameNoReplace(from, to); });
    }
    Status Link(const std::string& from, const std::string& to) override {
        return Pass(Call::kLink, to, [&] { return system_.Link(from, to); });
    }
    Status CreateEmpty(const std::string& path) override {
        return Pass(Call::kCreateEmpty, path, [&] { return system_.CreateEmpty(path); });
    }
    Status Rename(const std::string& from, const std::string& to) override {
        return Pass(Call::kRename, to, [&] { return system_.Rename(from, to); });
    }
    Status RemoveName(const std::string& path) override {
        return Pass(Call::kRemoveName, path, [&] { return system_.RemoveName(path); });
    }
    Status SyncFolder(const std::string& path) override {
        return Pass(Call::kSyncFolder, path, [&] { return system_.SyncFolder(path); });
    }

private:
    template <typename Real>
    Status Pass(Call call, const std::string& path, Real real) {
        calls_.push_back({call, path});
        const auto refusal = refusals_.find(call);
        if (refusal != refusals_.end()) return transfer::files::FileError(refusal->second);
        return real();
    }

    transfer::files::FileSystem& system_ = transfer::files::SystemFileSystem();
    std::map<Call, int> refusals_;
    std::vector<Made> calls_;
};

} // namespace tarnwick::test_support
