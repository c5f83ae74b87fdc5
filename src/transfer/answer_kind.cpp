#include "transfer/answer_kind.h"

#include "common/text.h"

namespace tarnwick::transfer {

bool IsFileMediaType(std::string_view media_type) {
    const bool media = media_type.starts_with("video/") || media_type.starts_with("audio/");
    // audio/mpegurl and its kin are HLS playlists.
    return media && media_type.find("mpegurl") == std::string_view::npos;
}

bool IsAttachment(const platform::HttpAnswer& answer) {
    const std::optional<std::string_view> value = answer.Value("content-disposition");
    if (!value) return false;
    const std::string_view type = value->substr(0, value->find(';'));
    return text::EqualsIgnoreCase(text::TrimSpaces(type), "attachment");
}

AnswerKind KindOfAnswer(const platform::HttpAnswer& answer, std::string_view media_type) {
    if (answer.status < 200 || answer.status >= 300) return AnswerKind::kPage;
    if (IsFileMediaType(media_type) || IsAttachment(answer)) return AnswerKind::kFile;
    if (media_type == "application/octet-stream") return AnswerKind::kFileUnlessText;
    return AnswerKind::kPage;
}

bool StartsAsText(std::string_view opening) {
    if (opening.starts_with("\xEF\xBB\xBF")) opening.remove_prefix(3);
    const size_t first = opening.find_first_not_of(" \t\r\n\f");
    if (first == std::string_view::npos) return true;
    opening.remove_prefix(first);
    return opening.starts_with('<') || opening.starts_with("#EXTM3U");
}

} // namespace tarnwick::transfer
