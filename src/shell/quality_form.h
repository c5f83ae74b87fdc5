// The "Quality…" dialog's form for one item, made of what its page offers
// and the choice in force, and the choice made of the user's picks.
#pragma once

#include "platform/quality_dialog.h"
#include "resolve/quality_offers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::shell {

struct QualityFormMade {
    platform::QualityForm form;
    // What each picture option and each subtitle line stands for.
    std::vector<int64_t> heights;
    std::vector<resolve::SubtitleOffer> lines;
};

// `offers` none: the page was not asked (`note` says why), and the usual
// heights are offered.
QualityFormMade MakeQualityForm(const std::optional<resolve::QualityOffers>& offers,
                                const resolve::QualityPreferences& current,
                                const std::string& heading, const std::string& note);

resolve::QualityPreferences ChoiceOfPicks(const QualityFormMade& made,
                                          const platform::QualityPicks& picks);

// "45.2 MB": a size as the dialog shows it.
std::string SizeText(int64_t bytes);

} // namespace tarnwick::shell
