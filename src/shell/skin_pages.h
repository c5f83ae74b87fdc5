// Which of the skin's pages was opened last through its page commands.
#pragma once

namespace tarnwick::shell {

enum class SkinPage { kNone, kDownload, kAbout, kHistory };

struct SkinPages {
    SkinPage current = SkinPage::kNone;
};

} // namespace tarnwick::shell
