// AngryAlien: the page embeds the video file in double quotes.
#include "resolve/sites/embed_source.h"
#include "resolve/sites/extractors.h"
#include "resolve/sites/marker_search.h"

namespace tarnwick::resolve {

std::string GetAngryAlienLink(std::string_view, std::string_view page) {
    return EmbedSource(page, "<embed src=\"", kQuote);
}

} // namespace tarnwick::resolve
