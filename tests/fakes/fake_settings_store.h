// An in-memory settings store with the registry's rules: keys exist once
// created, values hold raw data (a text with its terminating NUL), a key with
// subkeys cannot be deleted, and keys can be made to refuse write access.
#pragma once

#include "platform/settings_store.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarnwick::fakes {

class FakeSettingsStore : public platform::SettingsStore {
public:
    struct Write {
        std::string key; // "HKCU\..." or "HKLM\..."
        std::string name;
        std::string value;
        bool operator==(const Write&) const = default;
    };

    // Test set-up and inspection; `path` has "\" between levels.
    void Put(platform::KeyHandle root, const std::string& path, const std::string& name,
             const std::string& value) {
        PutRaw(root, path, name, value + '\0');
    }
    void PutRaw(platform::KeyHandle root, const std::string& path, const std::string& name,
                const std::string& data) {
        const std::string key = RootName(root) + "\\" + path;
        CreateLevels(key);
        keys[key][name] = data;
    }
    std::optional<std::string> Get(platform::KeyHandle root, const std::string& path,
                                   const std::string& name) const {
        const auto key = keys.find(RootName(root) + "\\" + path);
        if (key == keys.end()) return std::nullopt;
        const auto value = key->second.find(name);
        if (value == key->second.end()) return std::nullopt;
        std::string text = value->second;
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    bool HasKey(platform::KeyHandle root, const std::string& path) const {
        return keys.count(RootName(root) + "\\" + path) > 0;
    }
    void MakeReadOnly(platform::KeyHandle root, const std::string& path) {
        read_only.insert(RootName(root) + "\\" + path);
    }
    size_t OpenHandles() const { return open_keys.size(); }

    long OpenKey(platform::KeyHandle parent, const std::string& sub_path, uint32_t access,
                 platform::KeyHandle& key) override {
        std::string path;
        if (const long result = Below(parent, sub_path, path); result != 0) return result;
        if (keys.count(path) == 0) return platform::kStoreNotFound;
        return Open(path, access, key);
    }
    long CreateKey(platform::KeyHandle parent, const std::string& sub_path, uint32_t access,
                   platform::KeyHandle& key) override {
        std::string path;
        if (const long result = Below(parent, sub_path, path); result != 0) return result;
        if (read_only.count(path) > 0) return platform::kStoreAccessDenied;
        CreateLevels(path);
        return Open(path, access, key);
    }
    long QueryValueSize(platform::KeyHandle key, const std::string& name, uint32_t& size) override {
        const std::string* data = nullptr;
        if (const long result = Find(key, name, data); result != 0) return result;
        size = static_cast<uint32_t>(data->size());
        return platform::kStoreSuccess;
    }
    long QueryValue(platform::KeyHandle key, const std::string& name, uint32_t buffer_size,
                    std::string& data) override {
        const std::string* stored = nullptr;
        if (const long result = Find(key, name, stored); result != 0) return result;
        if (stored->size() > buffer_size) return platform::kStoreMoreData;
        data = *stored;
        return platform::kStoreSuccess;
    }
    long SetTextValue(platform::KeyHandle key, const std::string& name,
                      const std::string& value) override {
        const auto handle = open_keys.find(key);
        if (handle == open_keys.end()) return platform::kStoreInvalidHandle;
        if ((handle->second.access & platform::kKeySetValue) == 0) {
            return platform::kStoreAccessDenied;
        }
        if (fail_writes) return platform::kStoreCannotWrite;
        keys[handle->second.path][name] = value + '\0';
        writes.push_back({handle->second.path, name, value});
        return platform::kStoreSuccess;
    }
    long DeleteValue(platform::KeyHandle key, const std::string& name) override {
        const auto handle = open_keys.find(key);
        if (handle == open_keys.end()) return platform::kStoreInvalidHandle;
        if ((handle->second.access & platform::kKeySetValue) == 0) {
            return platform::kStoreAccessDenied;
        }
        return keys[handle->second.path].erase(name) > 0 ? platform::kStoreSuccess
                                                         : platform::kStoreNotFound;
    }
    long DeleteKey(platform::KeyHandle parent, const std::string& sub_path) override {
        std::string path;
        if (const long result = Below(parent, sub_path, path); result != 0) return result;
        if (sub_path.empty() || read_only.count(path) > 0) return platform::kStoreAccessDenied;
        if (keys.count(path) == 0) return platform::kStoreNotFound;
        const auto next = keys.lower_bound(path + "\\");
        if (next != keys.end() && next->first.rfind(path + "\\", 0) == 0) {
            return platform::kStoreAccessDenied;
        }
        keys.erase(path);
        return platform::kStoreSuccess;
    }
    long CloseKey(platform::KeyHandle key) override {
        if (IsRoot(key)) return platform::kStoreSuccess;
        return open_keys.erase(key) > 0 ? platform::kStoreSuccess : platform::kStoreInvalidHandle;
    }

    std::map<std::string, std::map<std::string, std::string>> keys;
    std::set<std::string> read_only;
    std::vector<Write> writes;
    bool fail_writes = false;

private:
    struct Handle {
        std::string path;
        uint32_t access;
    };

    static bool IsRoot(platform::KeyHandle key) {
        return key == platform::kCurrentUserRoot || key == platform::kLocalMachineRoot;
    }
    static std::string RootName(platform::KeyHandle root) {
        return root == platform::kCurrentUserRoot ? "HKCU" : "HKLM";
    }
    void CreateLevels(const std::string& path) {
        for (size_t level = path.find('\\'); level != std::string::npos;
             level = path.find('\\', level + 1)) {
            keys[path.substr(0, level)];
        }
        keys[path];
    }
    long Below(platform::KeyHandle parent, const std::string& sub_path, std::string& path) {
        if (IsRoot(parent)) {
            path = RootName(parent);
            keys[path];
        } else if (const auto handle = open_keys.find(parent); handle != open_keys.end()) {
            path = handle->second.path;
        } else {
            return platform::kStoreInvalidHandle;
        }
        if (sub_path.empty()) return platform::kStoreSuccess;
        if (sub_path.front() == '\\' || sub_path.back() == '\\' ||
            sub_path.find("\\\\") != std::string::npos) {
            return platform::kStoreBadPath;
        }
        path += "\\" + sub_path;
        return platform::kStoreSuccess;
    }
    long Open(const std::string& path, uint32_t access, platform::KeyHandle& key) {
        if ((access & platform::kKeyWriteAccess) != 0 && read_only.count(path) > 0) {
            return platform::kStoreAccessDenied;
        }
        key = next_handle++;
        open_keys[key] = {path, access};
        return platform::kStoreSuccess;
    }
    long Find(platform::KeyHandle key, const std::string& name, const std::string*& data) {
        const auto handle = open_keys.find(key);
        if (handle == open_keys.end()) return platform::kStoreInvalidHandle;
        if ((handle->second.access & platform::kKeyQueryValue) == 0) {
            return platform::kStoreAccessDenied;
        }
        const auto& values = keys[handle->second.path];
        const auto value = values.find(name);
        if (value == values.end()) return platform::kStoreNotFound;
        data = &value->second;
        return platform::kStoreSuccess;
    }

    std::map<platform::KeyHandle, Handle> open_keys;
    platform::KeyHandle next_handle = 1;
};

} // namespace tarnwick::fakes
