// The file a transfer writes: a temporary file beside the target that takes
// the target's place only when the transfer completes. Until then the target,
// if any, is untouched; a transfer that ends otherwise leaves its bytes in the
// temporary file, which the next transfer to the same target starts afresh.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class PartialFile {
public:
    // Distinct from the ".part" files that browsers leave in the same folders.
    static constexpr const char* kSuffix = ".tarnwick.part";

    static std::string PathFor(const std::string& target) { return target + kSuffix; }

    // Opens the temporary file as an empty file; TransferFailure when it
    // cannot be opened.
    explicit PartialFile(std::string target);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Room for the next `count` bytes, written straight into the file's
    // buffer; Wrote then keeps as many of them as were filled in. Saves a
    // copy of every byte on the way to the file. TransferFailure when the
    // buffer's earlier bytes cannot be written out.
    char* WriteSpace(size_t count);
    void Wrote(size_t count) { used_ += count; }
    // TransferFailure when the bytes cannot be written.
    void Append(const char* bytes, size_t count);
    // Closes the file and leaves it where it is. Safe to call twice.
    void Close();
    // Closes the file and puts it in the target's place; TransferFailure when
    // it cannot be written out or moved (the target is then untouched).
    void CommitToTarget();

private:
    [[noreturn]] void Fail(const std::string& what) const;
    bool WriteOut();
    bool CloseStream();

    std::string target_;
    std::string path_;
    std::FILE* stream_ = nullptr;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

} // namespace tarnwick::transfer
