#include "support/hls_fixtures.h"

#include "support/served_file.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>

extern char** environ;

namespace tarnwick::test_support {
namespace {

namespace fs = std::filesystem;

// A picture of this size, with the tone or without, or the tone alone.
struct Rendition {
    int width = 320;
    int height = 180;
    bool picture = true;
    bool sound = true;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Reads both pipes to their ends, whichever the child fills first.
void Drain(int out_fd, int err_fd, ProgramEnd& end) {
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* into[2] = {&end.out, &end.err};
    char buffer[65536];
    for (int open = 2; open > 0;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                into[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// ffmpeg's arguments for a few seconds of `rendition` as HLS at
// `folder`/index.m3u8, with the muxer's `options` added. One thread and
// bit-exact output: the same bytes each time.
std::vector<std::string> EncodeArguments(const Rendition& rendition, const fs::path& folder,
                                         const std::vector<std::string>& options) {
    const std::string seconds = std::to_string(static_cast<int>(kHlsSeconds));
    const std::string picture =
        "testsrc=size=" + std::to_string(rendition.width) + "x" + std::to_string(rendition.height) +
        ":rate=" + std::to_string(kHlsFramesPerSecond) + ":duration=" + seconds;
    const std::string tone = "sine=frequency=440:sample_rate=44100:duration=" + seconds;
    std::vector<std::string> arguments = {"-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                          "-f",           "lavfi",     "-i",    picture,    "-f",
                                          "lavfi",        "-i",        tone};
    if (rendition.picture) {
        arguments.insert(arguments.end(),
                         {"-map", "0:v", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt",
                          "yuv420p", "-g", std::to_string(kHlsFramesPerSecond)});
    }
    if (rendition.sound) {
        arguments.insert(arguments.end(), {"-map", "1:a", "-c:a", "aac", "-b:a", "64k"});
    }
    arguments.insert(arguments.end(),
                     {"-threads", "1", "-fflags", "+bitexact", "-flags", "+bitexact", "-f", "hls",
                      "-hls_time", "1", "-hls_playlist_type", "vod"});
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back((folder / "index.m3u8").string());
    return arguments;
}

// Makes `rendition` as HLS in `folder`; its playlist's address path.
std::string Encode(const std::string& ffmpeg, const fs::path& root, const std::string& folder,
                   const Rendition& rendition, const std::vector<std::string>& options = {}) {
    fs::create_directories(root / folder);
    const ProgramEnd end = RunProgram(ffmpeg, EncodeArguments(rendition, root / folder, options));
    if (end.exit_code != 0) {
        throw std::runtime_error("ffmpeg failed making " + folder + ": " + end.err);
    }
    return "/" + folder + "/index.m3u8";
}

// AES-128 with a fixed key at key.bin beside the playlist; ffmpeg takes the
// IV from the key info's third line, when there is one.
std::vector<std::string> KeyOptions(const fs::path& folder, const std::string& iv_line) {
    fs::create_directories(folder);
    WriteAll(folder / "key.bin", "0123456789abcdef");
    WriteAll(folder / "key.info", "key.bin\n" + (folder / "key.bin").string() + "\n" + iv_line);
    return {"-hls_key_info_file", (folder / "key.info").string()};
}

// With the key read again for each segment and no IV line, ffmpeg gives each
// segment its sequence number (from 3 on) as IV; the IVs are then taken out
// of the playlist, so that a reader must know them from the sequence.
std::string MakeSequenceIv(const std::string& ffmpeg, const fs::path& root) {
    std::vector<std::string> options = KeyOptions(root / "aes-sequence", "");
    options.insert(options.end(), {"-hls_flags", "periodic_rekey", "-start_number", "3"});
    const std::string playlist = Encode(ffmpeg, root, "aes-sequence", {}, options);
    const fs::path path = root / "aes-sequence" / "index.m3u8";
    WriteAll(path, std::regex_replace(ReadAll(path), std::regex(",IV=0x[0-9a-fA-F]+"), ""));
    return playlist;
}

// Three variants of the same few seconds; the 720p takes its sound from a
// rendition of its own. Without the muxed ones, only the 720p is offered.
HlsFixture MakeMaster(const std::string& ffmpeg, const fs::path& root, bool sound_apart_only) {
    Encode(ffmpeg, root, "720", {.width = 1280, .height = 720, .sound = false});
    Encode(ffmpeg, root, "sound", {.picture = false});
    std::string master =
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"English\",LANGUAGE=\"en\","
        "DEFAULT=YES,AUTOSELECT=YES,URI=\"sound/index.m3u8\"\n";
    if (!sound_apart_only) {
        Encode(ffmpeg, root, "180", {.width = 320, .height = 180});
        Encode(ffmpeg, root, "360", {.width = 640, .height = 360});
        master +=
            "#EXT-X-STREAM-INF:BANDWIDTH=400000,RESOLUTION=320x180,"
            "CODECS=\"avc1.42c00d,mp4a.40.2\"\n180/index.m3u8\n"
            "#EXT-X-STREAM-INF:BANDWIDTH=900000,RESOLUTION=640x360,"
            "CODECS=\"avc1.42c01e,mp4a.40.2\"\n360/index.m3u8\n";
    }
    master +=
        "#EXT-X-STREAM-INF:BANDWIDTH=2000000,RESOLUTION=1280x720,"
        "CODECS=\"avc1.42c01f,mp4a.40.2\",AUDIO=\"aac\"\n720/index.m3u8\n";
    WriteAll(root / "master.m3u8", master);
    return {"/master.m3u8", sound_apart_only ? 720 : 360, ""};
}

// Four heights, each with its sound, and a subtitle rendition of two
// pieces 2 s apart on the stream's clock.
HlsFixture MakeMasterOfFour(const std::string& ffmpeg, const fs::path& root) {
    std::string master =
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"subs\",NAME=\"English\",LANGUAGE=\"en\","
        "URI=\"subs/index.m3u8\"\n";
    for (const int height : {360, 1440, 1080, 720}) {
        const std::string name = std::to_string(height);
        Encode(ffmpeg, root, name, {.width = 64, .height = height});
        master += "#EXT-X-STREAM-INF:BANDWIDTH=" + std::to_string(height * 1000) +
                  ",RESOLUTION=64x" + name +
                  ",CODECS=\"avc1.64001f,mp4a.40.2\",SUBTITLES=\"subs\"\n" + name + "/index.m3u8\n";
    }
    WriteAll(root / "master.m3u8", master);
    fs::create_directories(root / "subs");
    WriteAll(root / "subs" / "index.m3u8",
             "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXT-X-PLAYLIST-TYPE:VOD\n"
             "#EXTINF:2,\n0.vtt\n#EXTINF:2,\n1.vtt\n#EXT-X-ENDLIST\n");
    for (const int piece : {0, 1}) {
        WriteAll(root / "subs" / (std::to_string(piece) + ".vtt"),
                 "WEBVTT\nX-TIMESTAMP-MAP=MPEGTS:" + std::to_string(126000 + piece * 180000) +
                     ",LOCAL:00:00:00.000\n\n00:00.500 --> 00:01.500\n" +
                     (piece == 0 ? "One" : "Two") + "\n");
    }
    return {"/master.m3u8", 1080, ""};
}

} // namespace

std::optional<std::string> FindOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        const size_t colon = folders.find(':');
        const fs::path candidate = fs::path(folders.substr(0, colon)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
    }
    return std::nullopt;
}

ProgramEnd RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    ProgramEnd end;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return end;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return end;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned == 0) Drain(out[0], err[0], end);
    ::close(out[0]);
    ::close(err[0]);
    if (spawned != 0) {
        end.err = program + " did not start";
        return end;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) end.exit_code = WEXITSTATUS(status);
    return end;
}

HlsFixture MakeHlsFixture(HlsForm form, const std::string& ffmpeg, const fs::path& folder) {
    // The same stream in one file, unencrypted, is what the MPEG-TS pieces make.
    const auto plain = [&] {
        Encode(ffmpeg, folder, "plain", {}, {"-hls_flags", "single_file"});
        return (folder / "plain" / "index.ts").string();
    };
    switch (form) {
        case HlsForm::kMpegTs: return {Encode(ffmpeg, folder, "ts", {}), 180, plain()};
        case HlsForm::kFmp4:
            return {Encode(ffmpeg, folder, "fmp4", {},
                           {"-hls_segment_type", "fmp4", "-hls_fmp4_init_filename", "init.mp4"}),
                    180, ""};
        case HlsForm::kAesWithIv:
            return {Encode(ffmpeg, folder, "aes", {},
                           KeyOptions(folder / "aes", "000102030405060708090a0b0c0d0e0f\n")),
                    180, plain()};
        case HlsForm::kAesSequenceIv: return {MakeSequenceIv(ffmpeg, folder), 180, plain()};
        case HlsForm::kSingleFile:
            return {Encode(ffmpeg, folder, "single", {}, {"-hls_flags", "single_file"}), 180,
                    (folder / "single" / "index.ts").string()};
        case HlsForm::kMaster: return MakeMaster(ffmpeg, folder, false);
        case HlsForm::kMasterSoundApart: return MakeMaster(ffmpeg, folder, true);
        case HlsForm::kMasterOfFour: return MakeMasterOfFour(ffmpeg, folder);
    }
    throw std::logic_error("no such HLS form");
}

void ServeFolder(LoopbackServer& server, const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string target = "/" + fs::relative(entry.path(), folder).generic_string();
        server.ServeFile(target, FileOf(ReadAll(entry.path())));
    }
}

ProbedVideo ProbeVideo(const std::string& ffprobe, const std::string& path) {
    const ProgramEnd end =
        RunProgram(ffprobe, {"-v", "error", "-count_frames", "-show_entries",
                             "format=duration:stream=codec_type,height,nb_read_frames", "-of",
                             "default=noprint_wrappers=1", path});
    if (end.exit_code != 0)
        throw std::runtime_error("ffprobe cannot read " + path + ": " + end.err);
    // One "key=value" a line, each stream's from its codec_type on.
    ProbedVideo video;
    std::string stream;
    size_t start = 0;
    for (size_t line_end; (line_end = end.out.find('\n', start)) != std::string::npos;
         start = line_end + 1) {
        const std::string line = end.out.substr(start, line_end - start);
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "codec_type") stream = value;
        if (key == "codec_type" && value == "audio") video.sound = true;
        if (key == "duration") video.seconds = std::atof(value.c_str());
        if (stream != "video") continue;
        if (key == "height") video.height = std::atoi(value.c_str());
        if (key == "nb_read_frames") video.frames = std::atoll(value.c_str());
    }
    return video;
}

} // namespace tarnwick::test_support
