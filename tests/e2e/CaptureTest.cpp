// ombrel-capture as a user runs it, on the generated data: what the frames show, the log, the
// video file, stopping with Ctrl-C and the errors. The tool runs with no display in sight.
#include "DDSTexture.h"
#include "Mp3Decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// The tool and the generated data of this build.
std::string CapturePath()
{
    return OMBREL_CAPTURE;
}

std::string DataDir()
{
    return OMBREL_TEST_DATA;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path)
{
    const std::string text = ReadText(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A fresh folder with the generated data/ (or the named files of it).
fs::path MakeWorkDir(const std::string& name, bool withData = true)
{
    const fs::path dir =
        fs::temp_directory_path() / ("ombrel-capture-e2e-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    if (withData)
        fs::create_directory_symlink(DataDir(), dir / "data");
    return dir;
}

struct Result
{
    int exitCode = -1;
    std::string errors; // stderr
};

// Runs the tool in `dir` with no display and no video driver chosen: it must pick its own.
Result RunCapture(const fs::path& dir, const std::string& args, const std::string& env = "")
{
    const std::string command = "cd '" + dir.string() +
                                "' && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + env +
                                " '" + CapturePath() + "' " + args + " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    Result result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = ReadText(dir / "stderr.txt");
    return result;
}

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* At(int x, int y) const
    {
        return rgb.data() + (std::size_t(y) * width + x) * 3;
    }
};

// Reads the tool's PNG files: 8-bit RGB, every row filtered "up".
Image ReadPng(const fs::path& path)
{
    const std::vector<std::uint8_t> png = ReadBytes(path);
    auto get32 = [&](std::size_t at)
    {
        return std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 |
               std::uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    Image image;
    std::vector<std::uint8_t> packed;
    for (std::size_t at = 8; at + 12 <= png.size();)
    {
        const std::uint32_t size = get32(at);
        const std::string type(png.begin() + long(at) + 4, png.begin() + long(at) + 8);
        if (type == "IHDR")
        {
            image.width = int(get32(at + 8));
            image.height = int(get32(at + 12));
        }
        if (type == "IDAT")
            packed.insert(packed.end(), png.begin() + long(at) + 8,
                          png.begin() + long(at) + 8 + size);
        at += 12 + size;
    }
    const std::size_t rowBytes = std::size_t(image.width) * 3;
    std::vector<std::uint8_t> raw((rowBytes + 1) * std::size_t(image.height));
    uLongf rawSize = uLongf(raw.size());
    if (image.width == 0 ||
        uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK)
    {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    image.rgb.resize(rowBytes * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y)
        for (std::size_t i = 0; i < rowBytes; ++i)
        {
            const std::uint8_t above = y > 0 ? image.rgb[std::size_t(y - 1) * rowBytes + i] : 0;
            image.rgb[std::size_t(y) * rowBytes + i] =
                std::uint8_t(raw[std::size_t(y) * (rowBytes + 1) + 1 + i] + above);
        }
    return image;
}

// A generated RGBA8 DDS image (level 0), as the GPU samples it.
struct Texture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

Texture LoadDds(const std::string& name)
{
    const std::vector<std::uint8_t> file = ReadBytes(fs::path(DataDir()) / name);
    TextureDesc desc;
    Texture texture;
    if (!ParseDDS(file, desc) || desc.format != RGBA8)
    {
        ADD_FAILURE() << "cannot read " << name;
        return texture;
    }
    texture.width = int(desc.width);
    texture.height = int(desc.height);
    texture.rgba.assign(desc.pixels, desc.pixels + std::size_t(desc.width) * desc.height * 4);
    return texture;
}

// Bilinear sample at the centre of output pixel (x, y), clamped, as the post pass reads the
// overlay; `flipped` reads the image upside down.
float SampleOverlay(const Texture& t, const Image& frame, int x, int y, int c, bool flipped)
{
    const float u = (float(x) + 0.5f) / float(frame.width);
    float v = (float(y) + 0.5f) / float(frame.height);
    if (flipped)
        v = 1.0f - v;
    const float tx = u * float(t.width) - 0.5f;
    const float ty = v * float(t.height) - 0.5f;
    const int x0 = int(std::floor(tx));
    const int y0 = int(std::floor(ty));
    const float fx = tx - float(x0);
    const float fy = ty - float(y0);
    auto texel = [&](int px, int py)
    {
        px = std::clamp(px, 0, t.width - 1);
        py = std::clamp(py, 0, t.height - 1);
        return float(t.rgba[(std::size_t(py) * t.width + px) * 4 + c]);
    };
    const float top = texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx;
    const float bottom = texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

struct OverlayMatch
{
    std::size_t shown = 0;    // components not zeroed by the levels rule
    std::size_t matching = 0; // of those, equal to the overlay within rounding
};

OverlayMatch CompareWithOverlay(const Image& frame, const Texture& overlay, bool flipped)
{
    OverlayMatch match;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            for (int c = 0; c < 3; ++c)
            {
                const int value = frame.At(x, y)[c];
                if (value == 0)
                    continue;
                ++match.shown;
                if (std::fabs(float(value) - SampleOverlay(overlay, frame, x, y, c, flipped)) <=
                    2.5f)
                    ++match.matching;
            }
    return match;
}

// With the fade at 0 the frame is the overlay image, upright, apart from the components that
// the levels rule sets to 0.
void ExpectOverlayImage(const Image& frame, const std::string& ddsName)
{
    const Texture overlay = LoadDds(ddsName);
    ASSERT_FALSE(overlay.rgba.empty());
    const OverlayMatch upright = CompareWithOverlay(frame, overlay, false);
    const OverlayMatch flipped = CompareWithOverlay(frame, overlay, true);
    const std::size_t components = frame.rgb.size();
    // Enough is shown for the comparison to mean something.
    EXPECT_GT(upright.shown, components / 5) << ddsName;
    EXPECT_EQ(upright.matching, upright.shown) << ddsName;
    EXPECT_LT(flipped.matching, flipped.shown * 9 / 10) << ddsName << " also matches upside down";
}

struct Statistics
{
    double mean = 0;
    double deviation = 0;
};

Statistics Luminance(const Image& image)
{
    double sum = 0;
    double squares = 0;
    const std::size_t pixels = std::size_t(image.width) * image.height;
    for (std::size_t p = 0; p < pixels; ++p)
    {
        const std::uint8_t* rgb = image.rgb.data() + p * 3;
        const double l = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
        sum += l;
        squares += l * l;
    }
    Statistics s;
    s.mean = sum / double(pixels);
    s.deviation = std::sqrt(std::max(0.0, squares / double(pixels) - s.mean * s.mean));
    return s;
}

double MeanAbsoluteDifference(const Image& a, const Image& b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return -1;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i)
        sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / double(a.rgb.size());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// One moment in each of the nine segments, in the clock of 2 frames per second, and one after
// the credits have replaced the intro and the fade has ended.
const char* const kSegmentMoments = "12,27,44,56,72,89,100,116,132";
const char* const kSegmentFiles[] = {"at-012.000.png", "at-027.000.png", "at-044.000.png",
                                     "at-056.000.png", "at-072.000.png", "at-089.000.png",
                                     "at-100.000.png", "at-116.000.png", "at-132.000.png"};

TEST(Capture, FrameAtZeroIsTheUprightIntroImage)
{
    const fs::path dir = MakeWorkDir("intro");
    const Result result = RunCapture(dir, "--png-dir shots --at 0 --size 480x270");
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    ExpectOverlayImage(ReadPng(dir / "shots/at-000.000.png"), "intro.dds");

    // The log holds the programs' start-up and shutdown, in order, with no warning.
    const std::vector<std::string> log = Lines(ReadText(dir / "log.txt"));
    ASSERT_GE(log.size(), 20u);
    EXPECT_EQ(log.front(), "Starting application...");
    EXPECT_EQ(log[1], "Creating CBuffers...");
    std::vector<std::string> expected = {"Starting application...", "Creating CBuffers..."};
    for (const char* name : {"irradiance", "prefilter2048", "dirtmask", "dirtscratches", "intro",
                             "credits", "iron_albedo", "iron_metallic"})
        expected.push_back(std::string("LoadTexture: data\\") + name + ".dds");
    for (const char* name :
         {"rings", "scene01", "tunnel", "logo", "greets", "grinder", "tarv", "sphere"})
        expected.push_back(std::string("Node: ") + name);
    expected.push_back("Shutdown...");
    for (const char* name :
         {"rings", "scene01", "tunnel", "logo", "greets", "grinder", "tarv", "sphere"})
        expected.push_back(std::string("Deleteing node '") + name + "'..");
    std::size_t found = 0;
    std::size_t meshLines = 0;
    for (const std::string& line : log)
    {
        if (found < expected.size() && line == expected[found])
            ++found;
        meshLines += line.rfind("Mesh: ", 0) == 0;
        EXPECT_EQ(line.find("WARNING"), std::string::npos) << line;
        EXPECT_EQ(line.find("ERROR"), std::string::npos) << line;
    }
    EXPECT_EQ(found, expected.size())
        << "missing or out of order: " << (found < expected.size() ? expected[found] : "");
    EXPECT_GE(meshLines, 8u);
    EXPECT_EQ(log.back(), "Exit.");
}

// One run through the whole presentation at 2 frames per second (ctest runs every test in a
// process of its own, and stepping to 148 s is the expensive part), checked three ways.
void ExpectSegmentPictures(const fs::path& dir)
{
    for (const char* name : kSegmentFiles)
    {
        const Statistics s = Luminance(ReadPng(dir / "shots" / name));
        EXPECT_GT(s.mean, 4.0) << name << " is black";
        EXPECT_GT(s.deviation, 4.0) << name << " is uniform";
    }
}

void ExpectParticlesInRingsNotInGreets(const fs::path& dir)
{
    EXPECT_GT(MeanAbsoluteDifference(ReadPng(dir / "shots/at-072.000.png"),
                                     ReadPng(dir / "bare/at-072.000.png")),
              1.0)
        << "no particles in the Rings frame";
    EXPECT_EQ(MeanAbsoluteDifference(ReadPng(dir / "shots/at-100.000.png"),
                                     ReadPng(dir / "bare/at-100.000.png")),
              0.0)
        << "particles in the Greets frame";
}

TEST(Capture, EverySegmentShowsAPictureWithParticlesByKindAndTheCreditsAtTheEnd)
{
    const fs::path dir = MakeWorkDir("moments");
    const std::string common = " --fps 2 --size 192x108 ";
    const Result shots =
        RunCapture(dir, "--png-dir shots --at " + std::string(kSegmentMoments) + ",148" + common);
    ASSERT_EQ(shots.exitCode, 0) << shots.errors;
    const Result bare = RunCapture(dir, "--png-dir bare --no-particles --at 72,100" + common);
    ASSERT_EQ(bare.exitCode, 0) << bare.errors;

    ExpectSegmentPictures(dir);
    ExpectParticlesInRingsNotInGreets(dir);
    // Each moment is named with the segment and shot it shows, for the contact sheets.
    const std::string named = ReadText(dir / "stdout.txt");
    EXPECT_NE(named.find("at-072.000.png Rings shot "), std::string::npos) << named;
    EXPECT_NE(named.find("at-100.000.png Greets shot "), std::string::npos) << named;
    // After 147 s the fade is 0 and the overlay is the credits image.
    ExpectOverlayImage(ReadPng(dir / "shots/at-148.000.png"), "credits.dds");
    fs::remove_all(dir);
}

TEST(Capture, SteppedFramesEqualTheFullCapture)
{
    // Across the Tarv-to-Scene01 cut, where particles start to be simulated and drawn.
    const fs::path dir = MakeWorkDir("stepping");
    const std::string common = " --fps 4 --size 96x54";
    ASSERT_EQ(RunCapture(dir, "--png-dir full --from 0 --to 18" + common).exitCode, 0);
    ASSERT_EQ(RunCapture(dir, "--png-dir part --from 17 --to 18" + common).exitCode, 0);
    ASSERT_EQ(RunCapture(dir, "--png-dir at --at 17.5" + common).exitCode, 0);
    for (int k = 0; k < 5; ++k)
    {
        char full[32];
        char part[32];
        std::snprintf(full, sizeof full, "full/frame-%06d.png", 68 + k);
        std::snprintf(part, sizeof part, "part/frame-%06d.png", k);
        EXPECT_EQ(ReadBytes(dir / full), ReadBytes(dir / part)) << part;
    }
    EXPECT_EQ(ReadBytes(dir / "full/frame-000070.png"), ReadBytes(dir / "at/at-017.500.png"));
    EXPECT_FALSE(fs::exists(dir / "full/frame-000073.png"));
    fs::remove_all(dir);
}

// "codec_type=video" lines and the like, one per stream, from ffprobe.
std::string Probe(const fs::path& file, const std::string& entries)
{
    const std::string command = "ffprobe -v error -show_entries " + entries +
                                " -of default=noprint_wrappers=1 '" + file.string() + "'";
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        pclose(pipe);
    }
    return text;
}

double ProbeNumber(const std::string& text, const std::string& key)
{
    const std::size_t at = text.find(key + "=");
    return at == std::string::npos ? -1 : std::atof(text.c_str() + at + key.size() + 1);
}

// The top-level boxes of an MP4 file, in order, and whether any box holds an edit list.
std::vector<std::string> TopLevelBoxes(const std::vector<std::uint8_t>& mp4, bool& editList)
{
    std::vector<std::string> boxes;
    editList = false;
    for (std::size_t at = 0; at + 8 <= mp4.size();)
    {
        std::uint64_t size = 0;
        for (int i = 0; i < 4; ++i)
            size = size << 8 | mp4[at + i];
        const std::string type(mp4.begin() + long(at) + 4, mp4.begin() + long(at) + 8);
        if (size < 8 || size > mp4.size() - at)
            break;
        boxes.push_back(type);
        // The index's boxes nest; "edts" as bytes anywhere in it is an edit list.
        if (type == "moov")
            editList = std::search(mp4.begin() + long(at), mp4.begin() + long(at + size),
                                   std::begin("edts"),
                                   std::end("edts") - 1) != mp4.begin() + long(at + size);
        at += size;
    }
    return boxes;
}

std::string MediaInfo(const fs::path& file, const std::string& inform)
{
    std::string text;
    const std::string command = "mediainfo --Inform='" + inform + "' '" + file.string() + "'";
    if (std::FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        pclose(pipe);
    }
    return text;
}

// The video's sound as ffmpeg decodes it, left channel at the music's 44.1 kHz.
std::vector<std::int16_t> DecodedSound(const fs::path& video)
{
    const std::string command =
        "ffmpeg -v error -i '" + video.string() + "' -map 0:a -ar 44100 -ac 2 -f s16le -";
    std::vector<std::int16_t> left;
    if (std::FILE* pipe = popen(command.c_str(), "r"))
    {
        std::int16_t frame[2];
        while (std::fread(frame, sizeof frame, 1, pipe) == 1)
            left.push_back(frame[0]);
        pclose(pipe);
    }
    return left;
}

// Where the music sounds in the video, in milliseconds after where it should: the lag of the
// best cross-correlation of the video's sound from 0.1 s to 0.9 s with the music from `from`.
double SoundOffsetMilliseconds(const std::vector<std::int16_t>& sound, const DecodedMusic& music,
                               double from)
{
    constexpr int kRate = 44100;
    constexpr long kMaxLag = 1500;
    const long start = kRate / 10;
    const long length = kRate * 8 / 10;
    const long musicStart = long(std::lround(from * kRate)) + start;
    double best = -1;
    long bestLag = kMaxLag + 1;
    for (long lag = -kMaxLag; lag <= kMaxLag; ++lag)
    {
        if (musicStart - lag < 0 || std::size_t(start + length) > sound.size() ||
            std::size_t(musicStart - lag + length) > music.FrameCount())
            continue;
        double sum = 0;
        for (long i = 0; i < length; ++i)
            sum += double(sound[std::size_t(start + i)]) *
                   music.samples[2 * std::size_t(musicStart - lag + i)];
        if (sum > best)
        {
            best = sum;
            bestLag = lag;
        }
    }
    return 1000.0 * double(bestLag) / kRate;
}

TEST(Capture, VideoIsAPlainMp4AsVideoSitesAskWithTheMusicInPlace)
{
    DecodedMusic music;
    ASSERT_TRUE(DecodeMp3File((DataDir() + "/music.mp3").c_str(), music));
    ASSERT_EQ(music.sampleRate, 44100);
    // The show's first second and one later on: the sound follows the span's start in both.
    for (const double from : {0.0, 20.0})
    {
        SCOPED_TRACE(from);
        const fs::path dir = MakeWorkDir("video");
        const Result result =
            RunCapture(dir, "--out clip.mp4 --from " + std::to_string(from) + " --to " +
                                std::to_string(from + 1) + " --fps 10 --size 160x90");
        ASSERT_EQ(result.exitCode, 0) << result.errors;
        const fs::path clip = dir / "clip.mp4";
        EXPECT_FALSE(fs::exists(dir / "clip.mp4.plain"));

        // Read by ffmpeg: one picture and one sound stream, every frame there.
        const std::string streams =
            Probe(clip, "stream=codec_type,codec_name,width,height,r_frame_rate,nb_read_frames "
                        "-count_frames");
        EXPECT_NE(streams.find("codec_name=h264"), std::string::npos) << streams;
        EXPECT_NE(streams.find("r_frame_rate=10/1"), std::string::npos) << streams;
        EXPECT_NE(streams.find("width=160\nheight=90"), std::string::npos) << streams;
        EXPECT_NE(streams.find("nb_read_frames=11\n"), std::string::npos) << streams;
        EXPECT_NE(streams.find("codec_name=aac"), std::string::npos) << streams;

        // Read as boxes: the index before the media, no fragments, no edit list.
        bool editList = true;
        const std::vector<std::string> boxes = TopLevelBoxes(ReadBytes(clip), editList);
        std::vector<std::string> kinds;
        for (const std::string& box : boxes)
            if (box != "free" && box != "udta")
                kinds.push_back(box);
        EXPECT_EQ(kinds, (std::vector<std::string>{"ftyp", "moov", "mdat"}));
        EXPECT_FALSE(editList);

        // Read by MediaInfo, a second reader: what the video sites ask for.
        EXPECT_EQ(MediaInfo(clip, "General;%IsStreamable%"), "Yes\n");
        EXPECT_EQ(MediaInfo(clip, "Video;%Format_Profile%").rfind("High@", 0), 0u);
        EXPECT_EQ(MediaInfo(clip, "Video;%ScanType% %ChromaSubsampling% %colour_primaries% "
                                  "%transfer_characteristics% %matrix_coefficients%"),
                  "Progressive 4:2:0 BT.709 BT.709 BT.709\n");
        EXPECT_EQ(MediaInfo(clip, "Audio;%Format% %Format_AdditionalFeatures% %SamplingRate% "
                                  "%Channels%"),
                  "AAC LC 48000 2\n");
        // The encoder aims at 384 kb/s on average: a second of the quiet start takes less.
        const double audioBitrate = std::atof(MediaInfo(clip, "Audio;%BitRate%").c_str());
        EXPECT_GT(audioBitrate, 0.6 * 384000);
        EXPECT_LT(audioBitrate, 1.2 * 384000);
        EXPECT_EQ(MediaInfo(clip, "Audio;%Source_Delay%"), "\n");
        const double milliseconds = std::atof(MediaInfo(clip, "General;%Duration%").c_str());
        EXPECT_NEAR(milliseconds, 1100, 100.0 / 10);

        EXPECT_NEAR(SoundOffsetMilliseconds(DecodedSound(clip), music, from), 0.0, 1.0);
        fs::remove_all(dir);
    }
}

// The tool's own lines on stderr, without its progress.
std::vector<std::string> ToolLines(const std::string& errors)
{
    std::vector<std::string> lines;
    for (const std::string& line : Lines(errors))
        if (line.rfind("ombrel-capture: ", 0) == 0)
            lines.push_back(line);
    return lines;
}

// Starts the tool in `dir` in the background, its stderr in dir/stderr.txt.
pid_t StartCapture(const fs::path& dir, const std::string& args)
{
    const std::string command = "cd '" + dir.string() +
                                "' && exec env -u DISPLAY -u WAYLAND_DISPLAY '" + CapturePath() +
                                "' " + args;
    const pid_t child = fork();
    if (child == 0)
    {
        const int errors = open((dir / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(errors, STDERR_FILENO);
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    return child;
}

// Progress lines come every 5 %: waits up to two minutes for `line` on the tool's stderr.
void WaitForProgress(const fs::path& dir, const std::string& line)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (ReadText(dir / "stderr.txt").find(line) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// The exit code, or -1 for a signal or for still running after a minute (then killed).
int WaitForExit(pid_t child)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The video decodes to its end without an error; its frame count.
int DecodedFrames(const fs::path& video)
{
    const std::string decode = "ffmpeg -v error -i '" + video.string() + "' -f null - 2>&1";
    std::string decodeErrors;
    if (std::FILE* pipe = popen(decode.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            decodeErrors += buffer;
        EXPECT_EQ(pclose(pipe), 0) << decodeErrors;
    }
    EXPECT_EQ(decodeErrors, "");
    return int(ProbeNumber(Probe(video, "stream=nb_read_frames -count_frames -select_streams v"),
                           "nb_read_frames"));
}

TEST(Capture, InterruptTerminateOrHangUpLeavesAPlayableVideo)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    {
        SCOPED_TRACE(strsignal(signal));
        const fs::path dir = MakeWorkDir("interrupt");
        const pid_t child =
            StartCapture(dir, "--out cut.mp4 --from 20 --to 40 --fps 10 --size 160x90");
        ASSERT_GE(child, 0);
        WaitForProgress(dir, "frame 20/201");
        kill(child, signal);
        EXPECT_EQ(WaitForExit(child), 1) << "an interrupted capture is not a success";
        const std::string errors = ReadText(dir / "stderr.txt");
        EXPECT_NE(errors.find("interrupted after"), std::string::npos) << errors;
        const std::string log = ReadText(dir / "log.txt");
        EXPECT_EQ(log.substr(log.size() - 6), "Exit.\n");

        // Whatever was done plays to its end.
        const int frames = DecodedFrames(dir / "cut.mp4");
        EXPECT_GE(frames, 20);
        EXPECT_LT(frames, 201);
        fs::remove_all(dir);
    }
}

TEST(Capture, FfmpegKilledIsAFailureNamingTheFrameNotAHang)
{
    const fs::path dir = MakeWorkDir("ffmpeg-killed");
    const pid_t child = StartCapture(dir, "--out cut.mp4 --from 20 --to 40 --fps 10 --size 160x90");
    ASSERT_GE(child, 0);
    WaitForProgress(dir, "frame 20/201");
    // ffmpeg is the tool's one child.
    const std::string children =
        ReadText("/proc/" + std::to_string(child) + "/task/" + std::to_string(child) + "/children");
    ASSERT_NE(children, "");
    kill(pid_t(std::atoi(children.c_str())), SIGKILL);
    EXPECT_EQ(WaitForExit(child), 1);
    const std::vector<std::string> errors = ToolLines(ReadText(dir / "stderr.txt"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("ffmpeg stopped taking frames at frame "), std::string::npos)
        << errors[0];
    EXPECT_NE(errors[0].find("of cut.mp4"), std::string::npos) << errors[0];
    fs::remove_all(dir);
}

// Runs the tool in dir with small/ a file system of `size` of its own, in a mount namespace that
// ends with the command; what it left in small/ is copied to kept/.
Result RunCaptureOnASmallDisk(const fs::path& dir, const std::string& size, const std::string& args)
{
    fs::create_directory(dir / "small");
    fs::create_directory(dir / "kept");
    const std::string isolate = geteuid() == 0 ? "unshare --mount" : "unshare -rm";
    const std::string inside = "mount -t tmpfs -o size=" + size + " ombrel-full small && '" +
                               CapturePath() + "' " + args +
                               " 2>stderr.txt; echo \\$? >code.txt; cp -r small/. kept/";
    const std::string command = "cd '" + dir.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                                isolate + " sh -c \"" + inside + "\"";
    Result result;
    if (std::system(command.c_str()) == 0)
        result.exitCode = std::atoi(ReadText(dir / "code.txt").c_str());
    result.errors = ReadText(dir / "stderr.txt");
    return result;
}

// A disk that fills up during the capture: one line naming the file and the frame, a failure,
// no broken picture, and the video up to then still plays.
TEST(Capture, FullDiskIsAFailureNamingTheFileAndFrameAndKeepsWhatWasWritten)
{
    const fs::path shots = MakeWorkDir("disk-full-png");
    Result result = RunCaptureOnASmallDisk(
        shots, "512k", "--png-dir small/shots --from 20 --to 40 --fps 10 --size 160x90");
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    std::vector<std::string> errors = ToolLines(result.errors);
    ASSERT_EQ(errors.size(), 1u) << result.errors;
    EXPECT_NE(errors[0].find("cannot write small/shots/frame-"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(".png (frame "), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("No space left on device"), std::string::npos) << errors[0];
    for (const fs::directory_entry& entry : fs::directory_iterator(shots / "kept/shots"))
        EXPECT_EQ(ReadPng(entry.path()).width, 160) << entry.path();
    fs::remove_all(shots);

    const fs::path video = MakeWorkDir("disk-full-video");
    result = RunCaptureOnASmallDisk(
        video, "320k", "--out small/clip.mp4 --from 20 --to 80 --fps 10 --size 320x180");
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    errors = ToolLines(result.errors);
    ASSERT_EQ(errors.size(), 1u) << result.errors;
    EXPECT_NE(errors[0].find("ffmpeg stopped taking frames at frame "), std::string::npos)
        << errors[0];
    EXPECT_NE(errors[0].find(" of small/clip.mp4 "), std::string::npos) << errors[0];
    EXPECT_GE(DecodedFrames(video / "kept/clip.mp4"), 10);
    fs::remove_all(video);
}

TEST(Capture, AFrameTheGpuDoesNotHandBackIsAFailureNamingItNotARepeatedPicture)
{
    const fs::path dir = MakeWorkDir("failing-read-back", true);
    const Result result = RunCapture(dir, "--png-dir shots --from 0 --to 0.1 --fps 30 --size 64x36",
                                     "LD_PRELOAD='" OMBREL_FAILING_READ_BACK
                                     "' ASAN_OPTIONS=verify_asan_link_order=0");
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    ASSERT_FALSE(Lines(result.errors).empty());
    EXPECT_EQ(Lines(result.errors).back(), "ombrel-capture: cannot read frame 1 back from the GPU");
    EXPECT_TRUE(fs::exists(dir / "shots/frame-000000.png"));
    EXPECT_FALSE(fs::exists(dir / "shots/frame-000001.png"));
    fs::remove_all(dir);
}

TEST(Capture, ErrorsGiveOneLineAndTheirExitCode)
{
    struct Case
    {
        const char* name;
        bool withData;
        const char* args;
        const char* env;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {"bad-option", true, "--out a.mp4 --fps fast", "", 2, "--fps wants a whole number"},
        {"unknown-option", true, "--colour", "", 2, "unknown option '--colour'"},
        {"no-output", true, "--fps 10", "", 2, "nothing to write"},
        {"no-data", false, "--png-dir d --at 0", "", 1, "no data/ folder"},
        {"no-ffmpeg", true, "--out a.mp4 --to 1", "PATH=/nonexistent", 1,
         "the ffmpeg program is not installed"},
    };
    for (const Case& c : cases)
    {
        const fs::path dir = MakeWorkDir(c.name, c.withData);
        const Result result = RunCapture(dir, c.args, c.env);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name << ": " << result.errors;
        EXPECT_NE(result.errors.find(c.message), std::string::npos)
            << c.name << ": " << result.errors;
        EXPECT_EQ(Lines(result.errors).size(), 1u) << c.name << ": " << result.errors;
        EXPECT_FALSE(fs::exists(dir / "a.mp4")) << c.name;
        fs::remove_all(dir);
    }

    // Missing music: the programs' start-up failure, on stderr rather than in a box.
    const fs::path dir = MakeWorkDir("no-music", false);
    fs::create_directory(dir / "data");
    for (const fs::directory_entry& entry : fs::directory_iterator(DataDir()))
        if (entry.path().extension() != ".mp3")
            fs::create_symlink(entry.path(), dir / "data" / entry.path().filename());
    const Result result = RunCapture(dir, "--png-dir d --at 0");
    EXPECT_EQ(result.exitCode, 1);
    // The decoder's own line (as in the programs), then the start-up failure.
    const std::vector<std::string> errors = Lines(result.errors);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), "ERROR: Failed to open music file.");
    EXPECT_LE(errors.size(), 2u) << result.errors;
    EXPECT_EQ(ReadText(dir / "log.txt"),
              "Starting application...\n[ERROR] Failed to open music file.");
    fs::remove_all(dir);

    const fs::path help = MakeWorkDir("help", false);
    EXPECT_EQ(RunCapture(help, "--help").exitCode, 0);
    EXPECT_NE(ReadText(help / "stdout.txt").find("--png-dir DIR"), std::string::npos);
    fs::remove_all(help);
}
} // namespace
