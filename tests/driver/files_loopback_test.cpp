// What a run leaves in the download folder, against a loopback server that
// scripts the raw bytes, through the real HTTP client: files already there,
// links planted while the server holds back its answer, what stays after
// each kind of end, names and headers as servers send them.
#include "driver/loopback_harness.h"
#include "support/kept_files.h"

#include <sys/mount.h>
#include <ostream>

#include "fakes/held_work.h"
#include "list/reason_texts.h"

#include <gmock/gmock.h>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

namespace tarnwick::driver {
namespace {

namespace fs = std::filesystem;
using test_support::Answer;

using FilesLoopbackTest = LoopbackRunTest;

TEST_F(FilesLoopbackTest, FilesAlreadyThereAreNeverTouched) {
    test_support::WriteWholeFile(Video("clip.flv"), "the user's own video");
    test_support::WriteWholeFile(Video("locked.flv"), "read-only");
    fs::permissions(Video("locked.flv"), fs::perms::owner_read);
    const list::ItemKey clip = AddVideo("clip.flv", VideoAnswer("downloaded clip"));
    const list::ItemKey locked = AddVideo("locked.flv", VideoAnswer("downloaded locked"));
    RunToTheEnd();
    EXPECT_EQ(Name(clip), "clip (2).flv");
    EXPECT_EQ(Name(locked), "locked (2).flv");
    EXPECT_EQ(test_support::ReadWholeFile(Video("clip.flv")), "the user's own video");
    EXPECT_EQ(test_support::ReadWholeFile(Video("locked.flv")), "read-only");
    EXPECT_EQ(test_support::ReadWholeFile(Video("clip (2).flv")), "downloaded clip");
    EXPECT_EQ(test_support::ReadWholeFile(Video("locked (2).flv")), "downloaded locked");
}

TEST_F(FilesLoopbackTest, LinksPlantedWhileTheServerHoldsBackAreNeverFollowed) {
    const std::string canary = folder.File("canary");
    test_support::WriteWholeFile(canary, "keep me");
    // The probe's answer, then the transfer's, each waits for the test.
    const list::ItemKey key =
        AddVideo("clip.flv", Answer()
                                 .WaitForRelease()
                                 .Head("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n")
                                 .Body("video"));
    run.Start();
    ASSERT_TRUE(RequestsCame(2)); // the page, the probe
    server.Release();
    ASSERT_TRUE(RequestsCame(3)); // the transfer
    fs::create_symlink(canary, Video("clip.flv"));
    fs::create_symlink(canary, Video("clip.flv." + std::to_string(key) + ".tarnwick.part"));
    server.Release();
    ASSERT_TRUE(RunUntil([this] { return !run.IsRunning(); }));
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(Name(key), "clip (2).flv");
    EXPECT_EQ(test_support::ReadWholeFile(canary), "keep me");
    EXPECT_EQ(test_support::ReadWholeFile(Video("clip (2).flv")), "video");
    EXPECT_TRUE(fs::is_symlink(Video("clip.flv")));
}

struct EndCase {
    const char* name;
    std::function<Answer()> video;
    std::string status;
    bool bytes_kept;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

class WhatStaysTest : public FilesLoopbackTest, public testing::WithParamInterface<EndCase> {};

TEST_P(WhatStaysTest, OnlyAVideoCutOffPartwayKeepsItsBytesUntilItsItemGoes) {
    const list::ItemKey key = AddVideo("clip.flv", GetParam().video());
    RunToTheEnd();
    EXPECT_EQ(Status(key), GetParam().status);
    const std::string kept = test_support::KeptPath(Item(key));
    EXPECT_EQ(!kept.empty() && fs::exists(kept), GetParam().bytes_kept);
    EXPECT_EQ(FilesInVideos().size(), GetParam().bytes_kept ? 1u : 0u);
    queue.Remove(key);
    EXPECT_TRUE(FilesInVideos().empty()) << "the item took its file along";
}

INSTANTIATE_TEST_SUITE_P(
    Ends, WhatStaysTest,
    testing::Values(EndCase{"NotFound",
                            [] { return Answer::Http(404, "Not Found", {}, "<h1>missing</h1>"); },
                            "ERROR", false},
                    EndCase{"ServerError", [] { return Answer::Http(500, "Oops", {}, "trace"); },
                            "ERROR", false},
                    EndCase{"WebPageForAVideo",
                            [] {
                                return Answer::Http(200, "OK", {"Content-Type: text/html"},
                                                    "<form>please log in</form>");
                            },
                            "ERROR", false},
                    EndCase{"ConnectionDroppedPartway",
                            [] {
                                return Answer()
                                    .Head("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
                                    .Body(std::string(40000, 'v'))
                                    .Drop();
                            },
                            "ERROR", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilesLoopbackTest, AStoppedTransferKeepsItsBytesUntilTheProgramEnds) {
    const list::ItemKey key =
        AddVideo("clip.flv", Answer()
                                 .Head("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
                                 .Body(std::string(30000, 'v'))
                                 .HoldUntilClientCloses());
    run.Start();
    ASSERT_TRUE(RunUntil([&] { return Item(key).received >= 30000; }));
    run.Stop();
    EXPECT_THAT(Status(key), testing::StartsWith("Cancelled"));
    EXPECT_EQ(fs::file_size(test_support::KeptPath(Item(key))), 30000u);
    part_files.RemoveAll(); // the program ends
    EXPECT_TRUE(FilesInVideos().empty());
}

TEST_F(FilesLoopbackTest, StrayTemporaryFilesOfOursGoAtStartUp) {
    const std::string canary = folder.File("canary.tarnwick.part");
    test_support::WriteWholeFile(canary, "not in the folder: kept");
    test_support::WriteWholeFile(Video("old.flv.tarnwick.part"), "left by an earlier version");
    test_support::WriteWholeFile(Video("clip.flv.7.tarnwick.part"), "left by a crash");
    fs::create_symlink(canary, Video("link.tarnwick.part"));
    test_support::WriteWholeFile(Video("mine.part"), "someone else's");
    fs::create_directory(folder.File("cache"));
    test_support::WriteWholeFile(folder.File("cache/Parse.wvi"), "an old page");
    part_files.RemoveStrays(Videos(), folder.File("cache"));
    EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"mine.part"}));
    EXPECT_EQ(test_support::ReadWholeFile(canary), "not in the folder: kept");
    EXPECT_FALSE(fs::exists(folder.File("cache/Parse.wvi")));
}

TEST_F(FilesLoopbackTest, AFolderThatCannotBeMadeFailsTheItemAndNothingGoesElsewhere) {
    DownloadRun elsewhere({queue, http, clock, [this] { return folder.File("missing/videos"); }});
    const list::ItemKey key = AddVideo("clip.flv", VideoAnswer("video"));
    elsewhere.Start();
    ASSERT_TRUE(RunUntil([&] { return !elsewhere.IsRunning(); }));
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kFolderUnusable);
    EXPECT_FALSE(fs::exists(folder.File("missing")));
    EXPECT_TRUE(FilesInVideos().empty());
}

TEST_F(FilesLoopbackTest, AFolderRemovedDuringARunIsMadeAgainForTheNextItem) {
    const list::ItemKey first = AddVideo("first.flv", VideoAnswer("one"));
    const list::ItemKey second = AddVideo("second.flv", VideoAnswer("two"));
    // The second page waits until the folder is gone.
    server.Serve("/putfile.com/second.flv",
                 Answer()
                     .WaitForRelease()
                     .Head("HTTP/1.1 200 OK\r\n\r\n")
                     .Body("<a href='" + server.Url("/v/second.flv") + "'>"));
    run.Start();
    ASSERT_TRUE(RunUntil([&] { return Status(first) == "Complete"; }));
    fs::remove_all(Videos());
    server.Release();
    ASSERT_TRUE(RunUntil([this] { return !run.IsRunning(); }));
    EXPECT_EQ(Status(second), "Complete");
    EXPECT_EQ(test_support::ReadWholeFile(Video("second.flv")), "two");
}

TEST_F(FilesLoopbackTest, AFullDiskFailsTheItemAndFreesWhatItWrote) {
    const std::string small = folder.File("small");
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=2m") != 0) {
        GTEST_SKIP() << "this machine cannot mount a 2 MiB tmpfs here (" << std::strerror(errno)
                     << "); the full-disk case is not tried";
    }
    DownloadRun onto_small({queue, http, clock, [&] { return small + "/videos"; }});
    const list::ItemKey key = AddVideo(
        "big.flv",
        Answer().Head("HTTP/1.1 200 OK\r\nContent-Length: 8388608\r\n\r\n").GeneratedBody(8388608));
    onto_small.Start();
    const bool ended = RunUntil([&] { return !onto_small.IsRunning(); });
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(small + "/videos"))
        left.push_back(entry.path());
    ::umount(small.c_str());
    ASSERT_TRUE(ended);
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kDiskFull);
    EXPECT_TRUE(left.empty()) << left.front();
}

using Call = test_support::FakeFileSystem::Call;

// What file systems refuse of the ways a finished file takes its name.
struct ClaimCase {
    const char* name;
    std::function<void(test_support::FakeFileSystem&)> refuse;
    bool named; // or kept under its temporary name
};

void PrintTo(const ClaimCase& c, std::ostream* out) { *out << c.name; }

class ClaimTest : public FilesLoopbackTest, public testing::WithParamInterface<ClaimCase> {};

TEST_P(ClaimTest, AFinishedFileIsNeverThrownAway) {
    const list::ItemKey key = AddVideo("clip.flv", VideoAnswer("the whole video"));
    GetParam().refuse(files);
    RunToTheEnd();
    std::string bytes;
    EXPECT_EQ(Status(key), GetParam().named ? "Complete" : "ERROR");
    if (GetParam().named) {
        bytes = test_support::ReadWholeFile(Video("clip.flv"));
        EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"clip.flv"}));
    } else {
        // Kept under its temporary name, which the item owns and its reason tells.
        EXPECT_EQ(Item(key).rare->failure->reason, Reason::kNameNotClaimed);
        const std::string kept = test_support::KeptPath(Item(key));
        bytes = test_support::ReadWholeFile(kept);
        EXPECT_EQ(FilesInVideos(), (std::set<std::string>{fs::path(kept).filename()}));
        EXPECT_NE(list::ReasonText(Item(key)).find(fs::path(kept).filename().string()),
                  std::string::npos);
    }
    EXPECT_EQ(bytes, "the whole video");
}

INSTANTIATE_TEST_SUITE_P(
    FileSystems, ClaimTest,
    testing::Values(
        // exFAT through FUSE, GVFS, network shares: an empty file holds the
        // name, and the finished one is renamed over it.
        ClaimCase{"NeitherFlagNorLinks", [](auto& f) { f.LikeFuse(EPERM); }, true},
        ClaimCase{"NeitherFlagNorLinksNotImplemented", [](auto& f) { f.LikeFuse(ENOSYS); }, true},
        ClaimCase{"ReadOnlyFolder",
                  [](auto& f) {
                      for (Call call : {Call::kRenameNoReplace, Call::kLink, Call::kCreateEmpty})
                          f.Refuse(call, EROFS);
                  },
                  false},
        ClaimCase{"NoRightsInTheFolder",
                  [](auto& f) {
                      for (Call call : {Call::kRenameNoReplace, Call::kLink, Call::kCreateEmpty})
                          f.Refuse(call, EACCES);
                  },
                  false},
        ClaimCase{"RenameOverTheEmptyFileFails",
                  [](auto& f) {
                      f.LikeFuse(EPERM);
                      f.Refuse(Call::kRename, ENOSPC);
                  },
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilesLoopbackTest, AFileThatKeptItsTemporaryNameTakesItsOwnOnRetryWithoutAnotherDownload) {
    const list::ItemKey key = AddVideo("clip.flv", VideoAnswer("the whole video"));
    files.LikeFuse(EPERM);
    files.Refuse(Call::kCreateEmpty, EACCES);
    RunToTheEnd();
    ASSERT_EQ(Item(key).rare->failure->reason, Reason::kNameNotClaimed);
    const size_t requests = server.Requests().size();
    files.Allow(Call::kCreateEmpty);
    queue.Modify(key, [](list::DownloadItem& i) { i.state = list::ItemState::kWaiting; });
    RunToTheEnd();
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(test_support::ReadWholeFile(Video("clip.flv")), "the whole video");
    EXPECT_EQ(FilesInVideos(), (std::set<std::string>{"clip.flv"}));
    const std::vector<test_support::Request> all = server.Requests();
    for (size_t i = requests; i < all.size(); ++i) {
        const test_support::Request& request = all[i];
        EXPECT_FALSE(request.method == "GET" && request.target == "/v/clip.flv")
            << "the video was asked for again";
    }
}

// Syncing waits for the disk, which takes seconds for a large file on a slow
// disk: it happens away from the event loop, and the file takes its name
// only once the disk has its bytes.
class SyncTest : public FilesLoopbackTest {
protected:
    fakes::HeldWork background;
    DownloadRun synced{{queue,
                        http,
                        clock,
                        [this] { return Videos(); },
                        {},
                        &parsers,
                        [] { return true; },
                        files,
                        &background}};

    void RunUntilTheSyncIsHeld() {
        synced.Start();
        ASSERT_TRUE(RunUntil([this] { return background.Held() > 0; }));
    }
};

TEST_F(SyncTest, TheBytesReachTheDiskBeforeTheNameAndTheFolderAfter) {
    const list::ItemKey key = AddVideo("clip.flv", VideoAnswer("video"));
    RunUntilTheSyncIsHeld();
    EXPECT_NE(Status(key), "Complete");
    EXPECT_FALSE(files.WasCalled(Call::kRenameNoReplace)) << "named before the disk had it";
    ASSERT_TRUE(background.Release());
    EXPECT_EQ(Status(key), "Complete");
    EXPECT_EQ(test_support::ReadWholeFile(Video("clip.flv")), "video");
    EXPECT_FALSE(files.WasCalled(Call::kSyncFolder)) << "the folder is synced aside too";
    ASSERT_TRUE(background.Release());
    ASSERT_TRUE(files.WasCalled(Call::kSyncFolder));
    EXPECT_EQ(files.Calls().back().path, Videos());
    synced.Stop();
}

TEST_F(SyncTest, AFileThatCannotReachTheDiskIsNotNamedButKept) {
    const list::ItemKey key = AddVideo("clip.flv", VideoAnswer("video"));
    RunUntilTheSyncIsHeld();
    ASSERT_TRUE(background.Release(EIO));
    ASSERT_TRUE(RunUntil([&] { return !synced.IsRunning(); }));
    EXPECT_EQ(Item(key).rare->failure->reason, Reason::kWriteFailed);
    EXPECT_FALSE(files.WasCalled(Call::kRenameNoReplace));
    EXPECT_EQ(test_support::ReadWholeFile(test_support::KeptPath(Item(key))), "video");
}

TEST_F(SyncTest, AStopWhileTheDiskSyncsKeepsTheWholeFileForTheNextTry) {
    const list::ItemKey key = AddVideo("clip.flv", VideoAnswer("video"));
    RunUntilTheSyncIsHeld();
    synced.Stop();
    ASSERT_TRUE(background.Release());
    EXPECT_THAT(Status(key), testing::StartsWith("Cancelled"));
    EXPECT_EQ(test_support::KeptBytes(Item(key)), 5);
    EXPECT_EQ(test_support::ReadWholeFile(test_support::KeptPath(Item(key))), "video");
}

TEST_F(FilesLoopbackTest, ANameThatFillsAFileNameStillHasATemporaryFile) {
    for (const size_t length : {241, 250, 255}) {
        const std::string name = std::string(length - 4, 'n') + ".flv";
        const list::ItemKey key =
            AddVideo("long" + std::to_string(length) + ".flv", VideoAnswer("video"));
        queue.Modify(key, [&](list::DownloadItem& i) {
            i.name_kind = list::NameKind::kNamed;
            i.name = name;
        });
        RunToTheEnd();
        EXPECT_EQ(Status(key), "Complete") << length;
        EXPECT_EQ(test_support::ReadWholeFile(Video(name)), "video") << length;
    }
}

struct HeaderCase {
    const char* name;
    std::string head; // the probe's answer: status line and fields
    std::string file_name;
    std::string size;
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class ProbeHeaderTest : public FilesLoopbackTest, public testing::WithParamInterface<HeaderCase> {};

// A page of the site that embeds any link: this one names no file of its own.
TEST_P(ProbeHeaderTest, NameExistenceAndSizeComeFromTheirOwnFields) {
    const std::string link = "/get/file?id=9";
    server.Serve("/angryalien.com/page",
                 Answer::Http(200, "OK", {}, "<embed src=\"" + server.Url(link) + "\">"));
    server.Serve(link, Answer().Head(GetParam().head + "\r\n").HoldUntilClientCloses());
    list::AddVideoURL(queue, server.Url("/angryalien.com/page"));
    const list::ItemKey key = queue.LastKey();
    run.Start();
    ASSERT_TRUE(RequestsCame(3)); // the page, the probe, the transfer
    ASSERT_TRUE(RunUntil([&] {
        return Item(key).state == list::ItemState::kDownloading ||
               Item(key).state == list::ItemState::kFailed;
    })) << "the transfer's answer";
    EXPECT_EQ(Name(key), GetParam().file_name);
    EXPECT_EQ(list::SizeText(Item(key)), GetParam().size);
    run.Stop();
}

const std::string kOk = "HTTP/1.1 200 OK\r\n";

INSTANTIATE_TEST_SUITE_P(
    Fields, ProbeHeaderTest,
    testing::Values(
        HeaderCase{"NameFromContentDisposition",
                   kOk + "Content-Disposition: attachment; filename=\"a b.mp4\"; size=3\r\n"
                         "Content-Length: 5000\r\n",
                   "a b.mp4", "4.9 KB"},
        HeaderCase{"ExtendedNameFirst",
                   kOk + "Content-Disposition: attachment; filename=x.mp4; "
                         "filename*=UTF-8''caf%C3%A9.webm\r\n",
                   "caf\xC3\xA9.webm", "0"},
        HeaderCase{"HiddenNameComesOutVisible",
                   kOk + "Content-Disposition: attachment; filename=\"../../.bashrc\"\r\n",
                   "bashrc", "0"},
        HeaderCase{"NameInAnotherFieldIsNoName",
                   kOk + "X-Note: see filename=evil.desktop\r\nContent-Length: 5000\r\n",
                   "fileid=9", "4.9 KB"},
        HeaderCase{"LengthWithoutABlank", kOk + "Content-Length:5000\r\n", "fileid=9", "4.9 KB"},
        HeaderCase{"LengthOfAnotherField", kOk + "X-Content-Length: 1\r\n", "fileid=9", "0"},
        HeaderCase{"LengthThatIsNoNumber", kOk + "Content-Length: 5, 7\r\n", "fileid=9", "0"},
        HeaderCase{"LongHeaderBlock",
                   kOk + "X-Pad: " + std::string(3000, 'p') + "\r\nContent-Length: 5000\r\n",
                   "fileid=9", "4.9 KB"},
        // The transfer's own error answer follows at once: an error tells no size.
        HeaderCase{"NotFoundWhateverItsReason", "HTTP/1.0 404 Nope\r\nContent-Length: 9\r\n",
                   "fileid=9", ""},
        HeaderCase{"HeadRefusedLeavesItToTheTransfer",
                   "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 9\r\n", "fileid=9", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilesLoopbackTest, EachProbeStartsAfresh) {
    // The first probe names its file; the second gets no answer it can read.
    server.Serve("/angryalien.com/1",
                 Answer::Http(200, "OK", {}, "<embed src=\"" + server.Url("/get?1") + "\">"));
    server.Serve("/get?1", Answer()
                               .Head(kOk + "Content-Disposition: attachment; filename=one.mp4"
                                           "\r\nContent-Length: 3\r\n\r\n")
                               .Body("one"));
    server.Serve("/angryalien.com/2",
                 Answer::Http(200, "OK", {}, "<embed src=\"" + server.Url("/get?2") + "\">"));
    server.Serve("/get?2", Answer()
                               .Head("HTTP/1.1 200 OK\r\nX-Pad: " + std::string(70000, 'p') +
                                     "\r\nContent-Length: 3\r\n\r\n")
                               .Body("two"));
    list::AddVideoURL(queue, server.Url("/angryalien.com/1"));
    const list::ItemKey first = queue.LastKey();
    list::AddVideoURL(queue, server.Url("/angryalien.com/2"));
    const list::ItemKey second = queue.LastKey();
    RunToTheEnd();
    EXPECT_EQ(Name(first), "one.mp4");
    EXPECT_EQ(Name(second), "get2") << "never the name of the file before";
    EXPECT_EQ(test_support::ReadWholeFile(Video("one.mp4")), "one");
    EXPECT_EQ(test_support::ReadWholeFile(Video("get2")), "two");
}

} // namespace
} // namespace tarnwick::driver
