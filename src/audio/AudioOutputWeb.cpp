// Web Audio: the page decodes the music while it loads, and plays that decoded buffer itself from
// the start gesture (src/audio/library-audio.js); the count is the context's time since play.
#include "AudioOutput.h"

extern "C"
{
    // Written in JavaScript (library-audio.js).
    int ombrel_audio_init();
    void ombrel_audio_free();
    void ombrel_audio_start();
    void ombrel_audio_close();
    // Plays the music DecodeMp3File handed over last.
    void ombrel_audio_play(int restart);
    // Seconds of music heard so far: the context's time since play less its output latency.
    double ombrel_audio_heard_seconds();
}

namespace
{

class AudioOutputWeb final : public AudioOutput
{
  public:
    // The page makes the context; there is none where the browser has no Web Audio.
    bool Open() override { return ombrel_audio_init() != 0; }
    void Start() override { ombrel_audio_start(); }
    // The page's copy of the music is the one DecodeMp3File handed over.
    void Play(const DecodedMusic& music, bool restart) override
    {
        rate = music.sampleRate; // the context's too
        ombrel_audio_play(restart ? 1 : 0);
    }
    void Stop() override { ombrel_audio_close(); }
    void Close() override { ombrel_audio_free(); }
    std::uint64_t FramesPlayed() override
    {
        const double seconds = ombrel_audio_heard_seconds();
        return seconds > 0.0 ? static_cast<std::uint64_t>(seconds * rate) : 0;
    }
    // A context keeps its time whatever becomes of the sound card.
    bool Failed() override { return false; }

  private:
    int rate = MusicSampleRate;
};

} // namespace

std::unique_ptr<AudioOutput> MakeAudioOutput()
{
    return std::make_unique<AudioOutputWeb>();
}
