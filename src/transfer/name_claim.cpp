#include "transfer/file_system.h"

#include <cerrno>

namespace tarnwick::transfer::files {

Status ClaimName(FileSystem& files, const std::string& from, const std::string& to) {
    Status claimed = files.RenameNoReplace(from, to);
    if (claimed || FailedWith(claimed, EEXIST)) return claimed;
    // Without the flag: a second name where none is, then the first one goes.
    claimed = files.Link(from, to);
    if (claimed) {
        // A first name that stays is a second copy of the finished file, not
        // a loss: the claim holds either way.
        (void)files.RemoveName(from);
        return claimed;
    }
    if (FailedWith(claimed, EEXIST)) return claimed;
    // Neither atomic way: an empty file of ours holds the name while the
    // finished one is renamed over it.
    if (Status held = files.CreateEmpty(to); !held) return held;
    claimed = files.Rename(from, to);
    // The empty file goes again; where it cannot, an empty file keeps the name.
    if (!claimed) (void)files.RemoveName(to);
    return claimed;
}

} // namespace tarnwick::transfer::files
