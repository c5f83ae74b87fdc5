// Every message box the program shows: its text and title, as written.
#pragma once

namespace tarnwick::shell {

inline constexpr const char* kEmptyListText = "Please add video URL's first.";
inline constexpr const char* kEmptyListTitle = "Empty List";
inline constexpr const char* kNotConnectedText =
    "You are not connected to the internet, Please connect first then try again";
inline constexpr const char* kConfirmStopText = "Are you sure that you want to cancel downloading?";
inline constexpr const char* kConfirmExitText =
    "Download is in Progress, Are you sure that you want to exit?";
inline constexpr const char* kBrowsePrompt =
    "Please select the desired Download directory then press Ok.";
// A chosen folder that cannot be written: the pieces go around the chosen
// folder, the system's reason and the folder that stays.
inline constexpr const char* kFolderRefusedStart = "Videos cannot be saved in \"";
inline constexpr const char* kFolderRefusedMiddle = "\": ";
inline constexpr const char* kFolderRefusedStays = ".\r\nThe download folder stays \"";
inline constexpr const char* kFolderRefusedEnd = "\".";
// The stored download folder is no full path: the message runs the pieces
// together around the stored folder and the one used instead.
inline constexpr const char* kFolderReplacedStart = "The download folder \"";
inline constexpr const char* kFolderReplacedMiddle =
    "\" is not a full path. Videos are saved to \"";
inline constexpr const char* kFolderReplacedEnd = "\" instead.";
// The kept list could not be read: the place its file was moved to goes
// between the two pieces.
inline constexpr const char* kListMovedAsideStart =
    "The download list could not be read, so Tarnwick starts with an empty list. The damaged "
    "file was kept as \"";
inline constexpr const char* kListMovedAsideEnd = "\".";
// The list cannot be kept at all: after the store's own reason.
inline constexpr const char* kListNotKeptEnd =
    ".\r\nTarnwick works as usual, but forgets the list when it closes.";
// The skin could not be loaded: the file's path and the reason follow.
inline constexpr const char* kSkinFailedPrefix = "The skin ";
inline constexpr const char* kSkinFailedMiddle = " could not be loaded:\r\n";

// No program opened the help page: the box gives its path to open by hand.
inline constexpr const char* kHelpTitle = "Help";
inline constexpr const char* kNoBrowserForHelpStart =
    "No browser could be started to show the help.\r\nIt is in \"";
inline constexpr const char* kNoBrowserForHelpEnd = "\".";

} // namespace tarnwick::shell
