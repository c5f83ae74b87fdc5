// Times all twelve site extractors over a 10 MiB page without any marker and
// over one that carries every site's markers at its end.
#include "resolve/site_index.h"
#include "resolve/sites/extract_link.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tarnwick::resolve;

constexpr std::size_t kPageSize = 10u * 1024u * 1024u;
constexpr int kRounds = 7;

struct SiteAddress {
    int site_index;
    const char* address;
};

constexpr SiteAddress kAddresses[] = {
    {kSiteGoogleVideo, "http://video.google.com/videoplay?docid=-4021"},
    {kSiteYouTube, "http://www.youtube.com/watch?v=AbC&mode=related"},
    {kSiteBolt, "http://www.bolt.com/video/77"},
    {kSiteMySpace,
     "http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=123456789"},
    {kSiteAngryAlien, "http://www.angryalien.com/0504/matrix.asp"},
    {kSiteThatVideoSite, "http://www.thatvideosite.com/video/3051"},
    {kSiteIFilm, "http://www.ifilm.com/video/2720001"},
    {kSiteBreak, "http://break.com/index/dog-on-a-skateboard.html"},
    {kSiteBlipTv, "http://blip.tv/file/101234"},
    {kSiteDailyMotion, "http://www.dailymotion.com/video/x1a2b3"},
    {kSitePutFile, "http://media.putfile.com/Sunset-Run"},
    {kSiteZippyVideos, "http://www.zippyvideos.com/9981/clip"},
};

// Ordinary page markup, none of it a marker of any site.
std::string FillerPage(std::size_t size) {
    const std::string line =
        "<div class=\"related\"><a href=\"/channel/music?page=2&amp;sort=new\" "
        "title=\"More clips\">More clips from this channel</a> <span class=\"views\">"
        "12,345 views</span> <img src=\"/img/star.gif\" alt=\"*\"></div>\n";
    std::string page;
    page.reserve(size + line.size());
    while (page.size() < size) page += line;
    page.resize(size);
    return page;
}

// Every site's markers, as they would appear near the end of a page.
std::string MarkerTail() {
    return "<a href=\"http://vp.video.google.com/videodownload?version=0&amp;id=1\" "
           "class=\"ipoddownloadlink\">Download for iPod</a>\n"
           "<script>var so = new SWFObject(\"/player.swf\", \"movie_player\");\n"
           "so.addVariable(\"url\", \"http%3A%2F%2Fwww.dailymotion.com%2Fget%2F1.flv\");\n"
           "var swfArgs = \"video_id=XyZ&l=12&t=OPQ\";\n"
           "var sGlobalFileName='dog_skate'; var sGlobalContentFilePath='2007/3/4';\n"
           "so.addVariable('flv', "
           "'storageId=4&userName=kim&videoId=9981&srvURL=http://s1.zippy.example');"
           "</script>\n"
           "<input Value=\"[url=http://www.bolt.com/video/77][IMG]http://images.bolt.com/image/"
           "77_thumb.jpg[/IMG][/url]\">\n"
           "<embed src=\"http://www.angryalien.com/media/matrix.flv\">"
           "<embed src='http://www.thatvideosite.com/media/3051.flv'>\n"
           "<input readonly=\"readonly\" type=\"text\" class=\"permalink_input\" "
           "value=\"http://blip.tv/file/get/101234.flv\">\n";
}

double MillisecondsForAllSites(const std::string& page) {
    std::vector<double> rounds;
    std::size_t found = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (const SiteAddress& site : kAddresses) {
            found += ExtractLink(site.site_index, site.address, page).empty() ? 0 : 1;
        }
        const auto end = std::chrono::steady_clock::now();
        rounds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(rounds.begin(), rounds.end());
    std::printf("  (%zu links found per round)\n", found / kRounds);
    return rounds[rounds.size() / 2];
}

void PrintEachSite(const std::string& page) {
    for (const SiteAddress& site : kAddresses) {
        const auto start = std::chrono::steady_clock::now();
        const std::string link = ExtractLink(site.site_index, site.address, page);
        const auto end = std::chrono::steady_clock::now();
        std::printf("    site %2d: %6.2f ms  %s\n", site.site_index,
                    std::chrono::duration<double, std::milli>(end - start).count(),
                    link.empty() ? "(no link)" : link.c_str());
    }
}

} // namespace

int main(int argc, char**) {
    const std::string plain = FillerPage(kPageSize);
    const std::string tail = MarkerTail();
    const std::string marked = FillerPage(kPageSize - tail.size()) + tail;
    const bool verbose = argc > 1;

    std::printf("all twelve extractors, 10 MiB page without markers: %7.2f ms (target < 50 ms)\n",
                MillisecondsForAllSites(plain));
    if (verbose) PrintEachSite(plain);
    std::printf("all twelve extractors, 10 MiB page, markers at end:  %7.2f ms (target < 50 ms)\n",
                MillisecondsForAllSites(marked));
    if (verbose) PrintEachSite(marked);
    return 0;
}
