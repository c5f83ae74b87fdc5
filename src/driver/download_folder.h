// How an item's file takes its place in the download folder: the folder is
// made ready (one level, never anywhere else), the temporary file gets a name
// of the item's own, and the finished file claims a name that neither another
// item nor anything in the folder has, numbered " (2)", " (3)", ... if need be.
#pragma once

#include "common/result.h"
#include "list/download_queue.h"
#include "transfer/file_system.h"

#include <functional>
#include <string>

namespace tarnwick::driver {

// Creates the download folder when it is missing (its parent must exist);
// fails when the folder cannot be used.
Status PrepareFolder(const std::string& folder);

// Whether files can be made in `folder` as it is (it is not made): a file of
// our own is made there and removed again. Fails when they cannot.
Status TryWritingIn(const std::string& folder);

// Whether the file at `path` sits right in `folder`.
bool IsInFolder(const std::string& path, const std::string& folder);

// The temporary file of the item `key` for the attempt-th try, from 1. Its
// stem is cut where the whole would pass a file name's 255 bytes, so that any
// final name has a temporary one.
std::string TemporaryPathFor(const std::string& folder, const std::string& name, list::ItemKey key,
                             int attempt);

// The first of TemporaryPathFor's paths, attempt 1 on, that nothing has.
std::string FreeTemporaryPath(const std::string& folder, const std::string& name,
                              list::ItemKey key);

// `name`, or the first of "name (2).ext", "name (3).ext", ... that no other
// item and nothing in the folder has.
std::string FreeName(const list::DownloadQueue& queue, list::ItemKey key, const std::string& folder,
                     const std::string& name);

// Gives the file at `temporary` the name `name` in the folder, numbered
// when that is taken there or `taken` says so (none: only the folder
// counts), without ever replacing anything. The name it took, or the
// failure (kNameNotClaimed); the file then stays where it is.
Result<std::string> ClaimNumberedName(transfer::files::FileSystem& files, const std::string& folder,
                                      const std::string& temporary, const std::string& name,
                                      const std::function<bool(const std::string&)>& taken = {});

// Gives the finished file at `temporary` the item's name in the folder,
// numbered when that is taken, without ever replacing anything. The name it
// took, or the failure; the file then stays where it is.
Result<std::string> ClaimFinalName(transfer::files::FileSystem& files,
                                   const list::DownloadQueue& queue, list::ItemKey key,
                                   const std::string& folder, const std::string& temporary);

} // namespace tarnwick::driver
