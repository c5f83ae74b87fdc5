// How a step of the program ended: complete, cancelled, or failed with a
// reason. Failures travel as these values across every module's interface.
#pragma once

#include <cassert>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

namespace tarnwick {

enum class Reason {
    kUnsupportedSite,    // no supported site in the address
    kPageNotFetched,     // the page's request got no answer, or broke off
    kNoLinkInPage,       // the page was fetched, but holds no video link
    kVideoNotFound,      // the video's address answered 404 or 410
    kErrorAnswer,        // another error status (http_status)
    kConnectionLost,     // the video's connection could not be made, or broke off
    kOpenTimeout,        // no answer within the limit for opening
    kStallTimeout,       // no byte within the limit while receiving
    kWriteFailed,        // the local file could not be written
    kDiskFull,           // the disk ran out of space
    kFolderUnusable,     // the download folder cannot be created or written
    kHtmlInsteadOfVideo, // a web page came where the video should be
    kStreamedVideo,      // the video comes in pieces of a kind not downloaded (DASH)
    kPageTooSlow,        // the page came at under the least rate for too long
    kPrivateAddress,     // a public address led to a private or local one (detail)
    kNameNotClaimed,     // the finished file could not take its name (detail); it
                         // stays under its temporary name, which the item keeps
    kLiveStream,         // the video is a live stream
    kProtectedVideo,     // the video is protected (DRM)
    kSoundSeparate,      // the sound comes separately and nothing here can join it
    kPlaylistUnreadable, // the video's playlist makes no sense (detail)
    kNotDecrypted,       // the video's pieces could not be decrypted (detail)
    kNotJoined,          // the video's parts could not be joined into one file (detail)
    kResolverFailed,     // yt-dlp found no video: its error, or why it gave none (detail)
    kNeedsFfmpeg,        // what was asked for is made by ffmpeg, which is missing (detail: what)
    kNote,               // no failure: what a complete item tells of itself (detail)
    kSoundNotMade,       // ffmpeg could not make the sound file (detail)
};

// The last reason there is: stored codes above it are unknown.
inline constexpr Reason kLastReason = Reason::kSoundNotMade;

struct Failure {
    Reason reason = Reason::kWriteFailed;
    // The answer's status code, where one came.
    int http_status = 0;
    // The system's words (an error text, a limit), where there are any.
    std::string detail = {};
    // The system's error, where a system call failed; its words are in
    // `detail`. Neither kept nor compared: a failure is what the user is told.
    std::error_code system = {};

    bool operator==(const Failure& other) const {
        return reason == other.reason && http_status == other.http_status && detail == other.detail;
    }
};

// The failure of a system call that answered the error number `error`.
inline Failure SystemFailure(Reason reason, int error) {
    return Failure{reason, 0, std::strerror(error),
                   std::error_code(error, std::generic_category())};
}

class Outcome {
public:
    enum class Kind { kComplete, kCancelled, kFailed };

    static Outcome Complete() { return Outcome(Kind::kComplete, {}); }
    static Outcome Cancelled() { return Outcome(Kind::kCancelled, {}); }
    static Outcome Failed(Failure failure) { return Outcome(Kind::kFailed, std::move(failure)); }
    static Outcome Failed(Reason reason, std::string detail = {}, int http_status = 0) {
        return Failed(Failure{reason, http_status, std::move(detail)});
    }

    Kind kind() const { return kind_; }
    bool IsComplete() const { return kind_ == Kind::kComplete; }
    bool IsCancelled() const { return kind_ == Kind::kCancelled; }
    bool IsFailed() const { return kind_ == Kind::kFailed; }
    // Only when failed.
    const Failure& failure() const {
        assert(IsFailed() && "the failure of an outcome that did not fail");
        return failure_;
    }

    bool operator==(const Outcome&) const = default;

private:
    Outcome(Kind kind, Failure failure) : kind_(kind), failure_(std::move(failure)) {}

    Kind kind_;
    Failure failure_;
};

} // namespace tarnwick
