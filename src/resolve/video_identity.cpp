#include "resolve/video_identity.h"

#include "resolve/site_index.h"

#include <algorithm>
#include <cctype>

namespace tarnwick::resolve {
namespace {

constexpr std::string_view kSitePrefix = "site:";
constexpr std::string_view kFilePrefix = "file:";
constexpr size_t kLongestId = 256;

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

std::string_view Trimmed(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t\r");
    if (start == text.npos) return {};
    return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

std::string_view WithoutScheme(std::string_view address) {
    const size_t scheme = address.find("://");
    if (scheme != address.npos) address.remove_prefix(scheme + 3);
    if (address.starts_with("www.")) address.remove_prefix(4);
    return address.substr(0, address.find('#'));
}

// YouTube's video id: the "v" parameter of a watch page, or the path of a
// short address.
std::string YouTubeId(std::string_view address) {
    std::string_view rest = WithoutScheme(address);
    if (rest.starts_with("youtu.be/")) {
        rest.remove_prefix(9);
        return std::string(rest.substr(0, rest.find_first_of("?&/")));
    }
    for (const std::string_view key : {"?v=", "&v="}) {
        const size_t at = rest.find(key);
        if (at == rest.npos) continue;
        const std::string_view id = rest.substr(at + key.size());
        return std::string(id.substr(0, id.find_first_of("&#")));
    }
    return {};
}

bool IsExtractorChar(char c) {
    return std::islower(static_cast<unsigned char>(c)) ||
           std::isdigit(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

std::string YtDlpIdentity(std::string_view extractor_key, std::string_view id) {
    if (extractor_key.empty() || id.empty() || HasLineBreak(id) || id.size() > kLongestId)
        return {};
    std::string identity;
    for (const char c : extractor_key) {
        identity += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!IsExtractorChar(identity.back())) return {};
    }
    return identity + " " + std::string(id);
}

std::string SiteIdentity(int site, std::string_view page_address) {
    if (site <= kSiteGeneral || HasLineBreak(page_address)) return {};
    if (site == kSiteYouTube) {
        const std::string id = YouTubeId(page_address);
        if (!id.empty()) return YtDlpIdentity("youtube", id);
    }
    return std::string(kSitePrefix) + std::to_string(site) + " " +
           std::string(WithoutScheme(page_address));
}

std::string FileIdentity(std::string_view address, int64_t size, std::string_view validator) {
    if (address.empty() || HasLineBreak(address) || HasLineBreak(validator)) return {};
    std::string identity = std::string(kFilePrefix) +
                           std::string(address.substr(0, address.find_first_of("?#"))) + " " +
                           std::to_string(size);
    if (!validator.empty()) identity += " " + std::string(validator);
    return identity;
}

bool IsArchiveIdentity(std::string_view identity) {
    const size_t space = identity.find(' ');
    if (space == 0 || space == identity.npos || space + 1 == identity.size()) return false;
    const std::string_view extractor = identity.substr(0, space);
    return std::all_of(extractor.begin(), extractor.end(), IsExtractorChar) &&
           !HasLineBreak(identity) && identity.size() - space - 1 <= kLongestId;
}

std::vector<std::string> ReadArchive(std::string_view text) {
    std::vector<std::string> identities;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == text.npos ? text.size() : end + 1);
        if (IsArchiveIdentity(line)) identities.emplace_back(line);
    }
    return identities;
}

std::string ArchiveText(const std::vector<std::string>& identities) {
    std::string text;
    for (const std::string& identity : identities) {
        if (IsArchiveIdentity(identity)) text += identity + "\n";
    }
    return text;
}

} // namespace tarnwick::resolve
