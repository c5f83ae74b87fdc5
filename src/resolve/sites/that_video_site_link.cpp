// ThatVideoSite: the page embeds the video file in single quotes.
#include "resolve/sites/embed_source.h"
#include "resolve/sites/extractors.h"

namespace tarnwick::resolve {

std::string GetThatVideoSiteLink(std::string_view, std::string_view page) {
    return EmbedSource(page, "<embed src='", "'");
}

} // namespace tarnwick::resolve
