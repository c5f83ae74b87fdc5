// The item's "Quality…" dialog: lists of choices and subtitle lines in, the
// user's picks out (or none when cancelled). It does not hold the window's
// event loop: the answer comes later, once.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::platform {

struct ChoiceList {
    std::string caption;
    std::vector<std::string> options;
    int chosen = 0;
};

struct SubtitleLine {
    std::string label;
    // A machine translation: shown only when the user asks for them.
    bool translated = false;
    bool checked = false;
};

struct QualityForm {
    // What the item is, and why what its page offers is not known, if so.
    std::string heading;
    std::string note;
    ChoiceList picture;
    ChoiceList format;
    ChoiceList sound;
    std::vector<SubtitleLine> subtitles;
    bool inside = false;
};

struct QualityPicks {
    int picture = 0;
    int format = 0;
    int sound = 0;
    // The subtitle lines checked, in the order of the form.
    std::vector<int> subtitles;
    bool inside = false;
};

class QualityDialog {
public:
    using Answer = std::function<void(std::optional<QualityPicks>)>;
    virtual ~QualityDialog() = default;
    // A dialog already open is closed first, its answer none.
    virtual void Show(const QualityForm& form, Answer on_answer) = 0;
};

} // namespace tarnwick::platform
