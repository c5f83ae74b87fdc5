// The one writer of the files that downloads fill: a temporary file beside
// its final name, created new (never through a link, never over anything),
// or taken on from an earlier try when it is our own regular file holding
// at least the bytes kept. It is written in place, at any offset, through
// the buffers of its writers; the disk is started on its bytes every 16 MiB
// while they come; a full disk or an unusable folder fail with reasons of
// their own; and at the end it is synced to the disk away from the event
// loop before it is handed on to take its name. Failures come back as
// values carrying the system's error, never as exceptions.
#pragma once

#include "common/result.h"
#include "platform/background_work.h"
#include "transfer/write_behind.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::transfer {

class PartFile {
public:
    // The ending by which a temporary file is known as one of ours.
    static constexpr const char* kSuffix = ".tarnwick.part";
    // The path for the attempt-th try, from 1.
    using PathChooser = std::function<std::string(int attempt)>;

    explicit PartFile(platform::BackgroundWork& background) : background_(background) {}
    ~PartFile() { Close(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Creates the file at the first of up to 100 paths where nothing is. A
    // folder that cannot take it fails as unusable.
    Status Create(const PathChooser& path);
    // Takes on the file of an earlier try: our regular file of at least
    // `least` bytes. Fails otherwise, and the file is then left as it is.
    Status Resume(const std::string& path, int64_t least);
    // Gives the file room for `length` bytes on the disk, so that a full
    // disk shows before any byte is written; nothing where the file system
    // cannot.
    Status Reserve(int64_t length);
    // Cuts the file back to its first `length` bytes.
    Status Cut(int64_t length);
    Status WriteAt(int64_t offset, const char* data, size_t size);
    // The disk takes the file's bytes, and the file is closed: `done` hears
    // how it went, from the event loop. The path stays known.
    void Sync(std::function<void(Status)> done);
    // Closes the file and leaves it as it is; safe to call twice.
    void Close();
    // Closes the file and removes it.
    void Discard();

    bool IsOpen() const { return descriptor_ >= 0; }
    const std::string& Path() const { return path_; }
    // The file's length when it was taken on; 0 for a new one.
    int64_t LengthAtStart() const { return length_at_start_; }

    // The failure of a file call: a full disk says so, others are `otherwise`.
    static Failure Failed(Failure failure, Reason otherwise = Reason::kWriteFailed);

private:
    Status Opened(const Result<int>& descriptor, const std::string& path, int64_t length);

    platform::BackgroundWork& background_;
    std::string path_;
    int descriptor_ = -1;
    int64_t length_at_start_ = 0;
    // Where the last write ended, and whether every write began where the
    // one before ended: the disk is then started on what is new only.
    int64_t end_ = 0;
    bool in_order_ = true;
    int64_t written_ = 0;
    std::unique_ptr<WriteBehind> write_behind_;
    platform::BackgroundWork::Ticket syncing_;
};

// One stretch of a part file, written in order from a place on through a
// buffer of its own; a large piece goes straight through.
class PartWriter {
public:
    PartWriter(PartFile& file, int64_t at) : file_(file), written_to_(at) {}
    PartWriter(const PartWriter&) = delete;
    PartWriter& operator=(const PartWriter&) = delete;

    Status Take(const char* data, size_t size);
    // Writes out what is gathered.
    Status Flush();
    // Writes out what it can; bytes that cannot be written are dropped.
    void FlushIfAble();

    // The bytes before this are on disk.
    int64_t WrittenTo() const { return written_to_; }
    // The next byte it takes.
    int64_t Next() const { return written_to_ + static_cast<int64_t>(buffer_.size()); }
    size_t Gathered() const { return buffer_.size(); }

private:
    PartFile& file_;
    int64_t written_to_;
    std::vector<char> buffer_;
};

} // namespace tarnwick::transfer
