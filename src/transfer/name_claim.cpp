#include "transfer/file_system.h"

#include <cerrno>

namespace tarnwick::transfer::files {

int ClaimName(FileSystem& files, const std::string& from, const std::string& to) {
    int error = files.RenameNoReplace(from, to);
    if (error == 0 || error == EEXIST) return error;
    // Without the flag: a second name where none is, then the first one goes.
    error = files.Link(from, to);
    if (error == 0) {
        files.RemoveName(from);
        return 0;
    }
    if (error == EEXIST) return error;
    // Neither atomic way: an empty file of ours holds the name while the
    // finished one is renamed over it.
    error = files.CreateEmpty(to);
    if (error != 0) return error;
    error = files.Rename(from, to);
    if (error != 0) files.RemoveName(to);
    return error;
}

} // namespace tarnwick::transfer::files
