// An MP4 written by the ffmpeg program from raw frames on its standard input, with the music.
// It is recorded in fragments, so a capture cut off at any point leaves a playable file, and
// then copied into the plain form that players and video sites expect.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The path of a program found in PATH, or empty.
std::string FindProgram(const std::string& name);

struct VideoSettings
{
    std::string ffmpeg; // path of the program
    std::string outFile;
    std::string musicFile;
    int width = 0;
    int height = 0;
    int fps = 60;
    double musicStart = 0; // seconds into the music of the first frame
    double duration = 0;   // seconds of the planned video, an upper bound for the audio
    int videoKbps = 0;     // the cap on the picture's bitrate
    int audioKbps = 384;   // AAC-LC at 48 kHz
};

// What the video sites ask for at this picture size and rate, in kb/s: the cap of a capture's
// picture (it is encoded at a constant quality under it).
int RecommendedVideoKbps(int width, int height, int fps);

// The program and its arguments: raw RGBA frames on standard input, the music from the file,
// written as fragments that each play once written.
std::vector<std::string> FfmpegArguments(const VideoSettings& settings);

// The arguments that copy a finished fragmented recording into a plain MP4: one index at the
// front, in room reserved for it, so the media is written once; no edit lists.
std::vector<std::string> PlainMp4Arguments(const std::string& ffmpeg, const std::string& from,
                                           const std::string& to, std::int64_t frames,
                                           double seconds);

// What a killed ffmpeg or a full disk leaves ends in a torn fragment that players stumble over:
// cuts the file after its last whole fragment. False when the file cannot be read or cut.
bool CutAfterLastWholeFragment(const std::string& path);

class VideoPipe
{
  public:
    ~VideoPipe();
    // Starts ffmpeg in its own process group, so that Ctrl-C at the terminal reaches only this
    // tool, which then ends the file properly (on Windows: a new process group, and the tool's
    // handler never passes Ctrl-C on). False (after a message on stderr) when it cannot.
    bool Start(const std::vector<std::string>& arguments);
    // One frame of width × height × 4 RGBA bytes, top row first. False once ffmpeg has gone.
    bool WriteFrame(const std::uint8_t* rgba, std::size_t size);
    // Ends the input and waits for ffmpeg to finish the file; true when it exited with 0.
    bool Finish();

  private:
#ifdef _WIN32
    void* process = nullptr; // HANDLE
    void* input = nullptr;
#else
    int child = -1;
    int input = -1;
#endif
};
