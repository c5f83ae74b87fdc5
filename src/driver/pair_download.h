// A video whose picture and sound come apart: two downloads side by side,
// each into a temporary file of the item's, for ffmpeg to join. The pair
// ends when both are whole, or at the first failure, which stops the other
// there; what each has is kept for a later try all the same.
#pragma once

#include "driver/download.h"

#include <array>
#include <memory>

namespace tarnwick::driver {

class PairDownload : public Download {
public:
    PairDownload(std::unique_ptr<Download> picture, std::unique_ptr<Download> sound);

    void Start(const std::optional<transfer::Kept>& kept, Calls calls) override;
    std::optional<transfer::Kept> Keep() const override;
    std::vector<std::string> Files() const override;
    void Abandon() override;

private:
    void OnProgress(size_t part, const Progress& progress);
    void OnDone(size_t part, Outcome outcome);

    std::array<std::unique_ptr<Download>, 2> parts_;
    std::array<Progress, 2> progress_;
    std::array<bool, 2> begun_{};
    std::array<bool, 2> done_{};
    Calls calls_;
};

} // namespace tarnwick::driver
