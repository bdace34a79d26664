// Synthesizes the track at 120 beats a minute, arranged on the nine segments of the timeline:
// a quiet intro, the beat from 16.5 s, changes at each segment start, a break at 95 s, the
// heaviest part from 105 s and an outro that fades out by 147 s.
//
// The programs read the spectrum of 2048-frame Hann windows (bin k is about k x 21.5 Hz): bin 3
// counts beats whenever it passes 0.01 and bin 1 tints the picture. So everything tonal stays
// clear of 25-105 Hz, where bin 3 would hear it: the bass plays from 110 Hz up, and the sub-bass
// that drives bin 1 is an E0 (20.6 Hz), where bin 3 has a null. Only the kick's body reaches bin
// 3, and only for the few hundredths of a second after its onset.
#include "Music.h"

#include "Random.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace assets
{

namespace
{

constexpr double kTwoPi = 6.283185307179586;
constexpr double kBeat = 0.5;          // seconds
constexpr double kStep = kBeat / 4;    // one sixteenth
constexpr double kSilenceFrom = 147.0; // the timeline shows only the fade from here
constexpr double kArrangementEnd = kSilenceFrom - 1.0;

// Section start times, in seconds: the segment starts of the timeline.
constexpr double kBeatIn = 16.5, kSphere = 38, kLogo = 50, kRings = 61, kTunnel = 83, kGreets = 95,
                 kGrinder = 105, kOutro = 127, kFadeOut = 137;

struct Bus
{
    std::vector<float> left, right;
    explicit Bus(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t Frames() const { return left.size(); }
};

std::size_t FrameAt(double seconds)
{
    return static_cast<std::size_t>(seconds * kMusicSampleRate + 0.5);
}

double Midi(double note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// One-pole low-pass coefficient for a cut-off in Hz.
float Pole(double hertz)
{
    return static_cast<float>(1 - std::exp(-kTwoPi * hertz / kMusicSampleRate));
}

// Chords of A minor, one bar (2 s) each: Am, F, C, G. The bass takes A2, A2, C3 and B2 (F and G
// inverted) so that its lowest note stays at 110 Hz.
constexpr std::array<int, 4> kBassNotes = {45, 45, 48, 47};
constexpr std::array<std::array<int, 3>, 4> kChords = {
    {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}}};

int ChordAt(double seconds)
{
    return static_cast<int>(std::floor(seconds / 2.0)) % 4;
}

// Band-passed noise for the drums. The top is rolled off well below the encoder's own low-pass,
// which would otherwise reshape the bursts into peaks above full scale.
class Hiss
{
  public:
    Hiss(Random& random, double lowHz, double highHz)
        : random(random), low(Pole(lowHz)), high(Pole(highHz))
    {
    }
    float Next()
    {
        const float noise = random.Unit() * 2 - 1;
        floor += low * (noise - floor);
        first += high * (noise - floor - first);
        second += high * (first - second);
        return second;
    }

  private:
    Random& random;
    float low, high;
    float floor = 0, first = 0, second = 0;
};

// A sine swept from 800 Hz down to 58 Hz with its third harmonic and a click: the sweep is the
// punch a small speaker plays, and the body reaches the low bins only as the sweep settles and is
// gone some 50 ms after the onset, so the beat detector counts the kick as it starts.
void Kick(Bus& bus, Random& random, double at, float gain)
{
    const std::size_t start = FrameAt(at), length = FrameAt(0.3);
    Hiss hiss(random, 2000, 7000);
    double phase = 0;
    for (std::size_t i = 0; i < length && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        phase += kTwoPi * (58 + 742 * std::exp(-t / 0.011)) / kMusicSampleRate;
        const double attack = std::min(1.0, t / 0.001);
        const double body = std::sin(phase) * std::exp(-t / 0.02);
        const double knock = std::sin(3 * phase) * std::exp(-t / 0.06) * 0.5;
        const double click = hiss.Next() * std::exp(-t / 0.004) * 0.5;
        const auto v = static_cast<float>(gain * attack * (body + knock + click));
        bus.left[start + i] += v;
        bus.right[start + i] += v;
    }
}

// A clap-like snare: a 200 Hz body and bright noise with a second, later burst.
void Snare(Bus& bus, Random& random, double at, float gain)
{
    const std::size_t start = FrameAt(at), length = FrameAt(0.35);
    Hiss hiss(random, 900, 7000);
    for (std::size_t i = 0; i < length && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const double burst =
            std::exp(-t / 0.12) + 0.6 * (t > 0.012 ? std::exp(-(t - 0.012) / 0.01) : 0);
        const double body =
            std::sin(kTwoPi * 200 * t) * std::exp(-t / 0.04) * std::min(1.0, t / 0.003);
        const auto v = static_cast<float>(gain * (1.6 * hiss.Next() * burst + 0.35 * body));
        bus.left[start + i] += v * 0.9f;
        bus.right[start + i] += v;
    }
}

void Hat(Bus& bus, Random& random, double at, float gain, double decay, float pan)
{
    const std::size_t start = FrameAt(at), length = FrameAt(decay * 6);
    Hiss hiss(random, 5000, 11000);
    for (std::size_t i = 0; i < length && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const auto v = static_cast<float>(gain * hiss.Next() * std::exp(-t / decay));
        bus.left[start + i] += v * (1 - pan);
        bus.right[start + i] += v * (1 + pan);
    }
}

// The bass in two layers. Its fundamental (110 to 131 Hz) is one held sine that changes note with
// the chord and swells between the kicks: notes starting and stopping down there would splash into
// the low bins between the kicks. The rhythm is played by saw notes without their fundamental,
// from 220 Hz up, which is also what a small speaker makes of a bass.
void BassRoot(Bus& bus, float gain, float drive)
{
    std::array<double, 4> notes{};
    for (std::size_t k = 0; k < notes.size(); ++k)
        notes[k] = Midi(kBassNotes[k]);
    double phase = 0, frequency = notes[static_cast<std::size_t>(ChordAt(kBeatIn))];
    // The note changes 10 ms after the bar's kick, gliding over 20 ms.
    const double glide = 1 - std::exp(-1.0 / (0.02 / 4 * kMusicSampleRate));
    for (std::size_t i = FrameAt(kBeatIn); i < FrameAt(kArrangementEnd + 0.5); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const double target = notes[static_cast<std::size_t>(ChordAt(t - 0.01))];
        frequency += glide * (target - frequency);
        phase += frequency / kMusicSampleRate;
        phase -= std::floor(phase);
        const bool greets = t >= kGreets && t < kGrinder;
        const double period = greets ? 4 * kBeat : kBeat;
        const double pulse = 0.75 - 0.25 * std::cos(kTwoPi * (t - kBeatIn) / period);
        const double edges = std::clamp((t - kBeatIn) / 0.05, 0.0, 1.0) *
                             std::clamp((kArrangementEnd + 0.5 - t) / 0.5, 0.0, 1.0);
        double v = std::sin(kTwoPi * phase);
        if (drive > 0 && t >= kGrinder && t < kOutro)
            v = std::tanh(v * (1 + 3 * drive)) / std::tanh(1 + 3 * drive);
        const auto out = static_cast<float>(gain * (greets ? 0.8 : 1.0) * edges * pulse * v);
        bus.left[i] += out;
        bus.right[i] += out;
    }
}

void BassNote(Bus& bus, double at, double length, double note, float gain, float bright,
              float drive)
{
    const std::size_t start = FrameAt(at), frames = FrameAt(length), edge = FrameAt(0.008);
    const double frequency = Midi(note);
    const float cutoff = Pole(400 + 3000 * bright);
    double phase = 0;
    float low = 0, lower = 0;
    for (std::size_t i = 0; i < frames + edge && start + i < bus.Frames(); ++i)
    {
        phase += frequency / kMusicSampleRate;
        const double p = phase - std::floor(phase);
        // A saw plus its first partial's opposite: the harmonics from the second up.
        const double harmonics = 2 * p - 1 + 2 / 3.141592653589793 * std::sin(kTwoPi * p);
        low += cutoff * (static_cast<float>(harmonics) - low);
        lower += cutoff * (low - lower);
        double envelope = std::min(1.0, static_cast<double>(i) / static_cast<double>(edge));
        if (i >= frames)
            envelope = 1 - static_cast<double>(i - frames) / static_cast<double>(edge);
        envelope = envelope * envelope * (3 - 2 * envelope);
        double v = lower;
        if (drive > 0)
            v = std::tanh(v * (1 + 3 * drive)) / std::tanh(1 + 3 * drive);
        const auto out = static_cast<float>(gain * envelope * v);
        bus.left[start + i] += out;
        bus.right[start + i] += out;
    }
}

// Detuned saws with a slow swell, spread across the stereo field.
void Pad(Bus& bus, double at, double length, const std::array<int, 3>& chord, float gain,
         float bright)
{
    const std::size_t start = FrameAt(at), frames = FrameAt(length), release = FrameAt(0.8);
    std::array<double, 9> phase{}, increment{};
    for (int k = 0; k < 9; ++k)
        increment[k] = Midi(chord[k / 3]) * (1 + 0.004 * (k % 3 - 1)) / kMusicSampleRate;
    std::array<float, 2> low{};
    const float cutoff = Pole(500 + 4000 * bright);
    for (std::size_t i = 0; i < frames + release && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        std::array<double, 2> sum{};
        for (int n = 0; n < 3; ++n)
            for (int d = 0; d < 3; ++d)
            {
                const int k = n * 3 + d;
                phase[k] += increment[k];
                const double saw = 2 * (phase[k] - std::floor(phase[k])) - 1;
                sum[d == 0 ? 0 : (d == 2 ? 1 : (n % 2))] += saw;
            }
        double envelope = std::min(1.0, t / 0.6);
        if (i >= frames)
            envelope *= 1 - static_cast<double>(i - frames) / static_cast<double>(release);
        for (int c = 0; c < 2; ++c)
            low[c] += cutoff * (static_cast<float>(sum[c]) - low[c]);
        bus.left[start + i] += static_cast<float>(gain * envelope * low[0] * 0.2);
        bus.right[start + i] += static_cast<float>(gain * envelope * low[1] * 0.2);
    }
}

// A square-ish lead with vibrato.
void Lead(Bus& bus, double at, double length, double note, float gain, float pan)
{
    const std::size_t start = FrameAt(at), frames = FrameAt(length), release = FrameAt(0.08);
    const double increment = Midi(note) / kMusicSampleRate;
    const float cutoff = Pole(4000);
    double phase = 0;
    float low = 0;
    for (std::size_t i = 0; i < frames + release && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const double vibrato = 1 + 0.004 * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t / 0.3);
        phase += increment * vibrato;
        const double p = phase - std::floor(phase);
        const double wave = (p < 0.42 ? 1.0 : -1.0) * 0.6 + (2 * p - 1) * 0.4;
        low += cutoff * (static_cast<float>(wave) - low);
        double envelope = std::min(1.0, t / 0.01) * (0.75 + 0.25 * std::exp(-t / 0.15));
        if (i >= frames)
            envelope *= 1 - static_cast<double>(i - frames) / static_cast<double>(release);
        const auto v = static_cast<float>(gain * envelope * low);
        bus.left[start + i] += v * (1 - pan);
        bus.right[start + i] += v * (1 + pan);
    }
}

// The sub-bass under the beat: an E0 whose level dips on every kick and swells between them (once
// a bar in the break), so that bin 1 pulses with the music.
void Sub(Bus& bus, float gain)
{
    const double increment = Midi(16) / kMusicSampleRate;
    double phase = 0;
    for (std::size_t i = FrameAt(kBeatIn - 2 * kBeat); i < FrameAt(kArrangementEnd); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        phase += increment;
        const double period = t >= kGreets && t < kGrinder ? 4 * kBeat : kBeat;
        const double pulse = 0.75 - 0.25 * std::cos(kTwoPi * (t - kBeatIn) / period);
        const double in = std::clamp((t - (kBeatIn - 2 * kBeat)) / (2 * kBeat), 0.0, 1.0);
        const auto v = static_cast<float>(gain * in * pulse * std::sin(kTwoPi * phase));
        bus.left[i] += v;
        bus.right[i] += v;
    }
}

// A stereo echo whose feedback crosses between the channels.
void PingPongEcho(Bus& bus, double delaySeconds, float feedback, float mix)
{
    const std::size_t delay = FrameAt(delaySeconds);
    std::vector<float> dl(delay, 0.0f), dr(delay, 0.0f);
    for (std::size_t i = 0; i < bus.Frames(); ++i)
    {
        const std::size_t k = i % delay;
        const float outL = dl[k], outR = dr[k];
        dl[k] = bus.right[i] + outR * feedback;
        dr[k] = bus.left[i] + outL * feedback;
        bus.left[i] += outL * mix;
        bus.right[i] += outR * mix;
    }
}

void Mix(Bus& into, const Bus& from, float gain)
{
    for (std::size_t i = 0; i < into.Frames(); ++i)
    {
        into.left[i] += from.left[i] * gain;
        into.right[i] += from.right[i] * gain;
    }
}

// Lead melodies over one bar, as (sixteenth, length in sixteenths, note) with note 0 a rest.
struct Note
{
    int step, length, note;
};
const std::array<std::array<Note, 5>, 4>& Melody()
{
    static const std::array<std::array<Note, 5>, 4> melody = {{
        {{{0, 3, 76}, {3, 3, 72}, {6, 2, 74}, {8, 6, 69}, {14, 2, 72}}},
        {{{0, 3, 77}, {3, 3, 76}, {6, 2, 72}, {8, 4, 69}, {12, 4, 72}}},
        {{{0, 3, 79}, {3, 3, 76}, {6, 2, 74}, {8, 6, 72}, {14, 2, 74}}},
        {{{0, 4, 74}, {4, 2, 71}, {6, 2, 74}, {8, 4, 79}, {12, 4, 76}}},
    }};
    return melody;
}

struct KickHit
{
    double at;
    float gain;
};

// Four to the bar from the beat's entry; the break keeps one a bar so the cuts go on; the heavy
// part adds an off-beat kick before each bar's last beat.
std::vector<KickHit> KickPattern()
{
    std::vector<KickHit> kicks;
    for (int step = static_cast<int>(kBeatIn / kStep); step * kStep < kArrangementEnd; ++step)
    {
        const double t = step * kStep;
        const int inBar = step % 16;
        const bool greets = t >= kGreets && t < kGrinder;
        const bool grinder = t >= kGrinder && t < kOutro;
        if (greets ? inBar == 0 : inBar % 4 == 0)
            kicks.push_back({t, greets ? 0.8f : 0.9f});
        else if (grinder && inBar == 11)
            kicks.push_back({t, 0.75f});
    }
    return kicks;
}

// Pads: every bar from the start; brighter once the beat is in, softer in the break.
void LayPads(Bus& pads)
{
    for (double bar = 0; bar < kArrangementEnd; bar += 2)
    {
        float gain = bar < kBeatIn ? static_cast<float>(0.3 + 0.5 * bar / kBeatIn) : 0.7f;
        float bright = bar < kBeatIn ? static_cast<float>(bar / kBeatIn) * 0.4f : 0.45f;
        if (bar >= kGreets && bar < kGrinder)
            gain = 0.95f, bright = 0.8f;
        if (bar >= kLogo && bar < kRings)
            bright = 0.8f;
        Pad(pads, bar, 2.0, kChords[ChordAt(bar)], gain, bright);
    }
}

// The rest of the drums, the bass and the logo's chord stabs on the sixteenth grid from the
// beat's entry.
void LayGrid(Bus& drums, Bus& bass, Bus& lead, Random& random)
{
    for (int step = static_cast<int>(kBeatIn / kStep); step * kStep < kArrangementEnd; ++step)
    {
        const double t = step * kStep;
        const int inBar = step % 16, inBeat = step % 4;
        const bool greets = t >= kGreets && t < kGrinder;
        const bool grinder = t >= kGrinder && t < kOutro;
        const bool tunnel = t >= kTunnel && t < kGreets;
        const bool logo = t >= kLogo && t < kRings;
        const int chord = ChordAt(t);
        const double root = kBassNotes[chord];

        // Snare or clap on beats 2 and 4 from the second section.
        if (t >= kSphere && !greets && (inBar == 4 || inBar == 12))
            Snare(drums, random, t, grinder ? 0.5f : 0.4f);
        if (grinder && inBar == 14)
            Snare(drums, random, t, 0.22f);

        // Hats: off-beat eighths, sixteenths in the busier parts, open ones in the tunnel; a
        // soft tick in the break.
        if (greets)
        {
            if (inBeat == 2)
                Hat(drums, random, t, 0.05f, 0.05, 0.3f);
        }
        else if (inBeat == 2)
            Hat(drums, random, t, tunnel ? 0.24f : 0.18f, tunnel ? 0.09 : 0.04, 0.2f);
        else if ((t >= kRings || grinder) && inBeat != 0)
            Hat(drums, random, t, 0.09f, 0.02, -0.25f);

        // Bass notes over the held root: off-beat eighths, rolling sixteenths in the tunnel and
        // the heavy part, long notes under the stabs of the logo and the break.
        const float drive = grinder ? 0.8f : 0.0f;
        if (greets || logo)
        {
            if (inBar == 0 || inBar == 8)
                BassNote(bass, t + 0.02, 1.0 - 0.04, root, greets ? 0.5f : 0.55f, 0.3f, 0);
        }
        else if (tunnel || grinder || t >= kRings)
        {
            if (inBeat != 0)
            {
                const double note = root + ((inBeat == 2) ? 12 : 0);
                BassNote(bass, t, kStep * 0.8, note, grinder ? 0.6f : 0.55f, grinder ? 0.9f : 0.6f,
                         drive);
            }
        }
        else if (inBeat == 2 || inBeat == 3)
            BassNote(bass, t, kStep * 0.9, root + (inBeat == 3 ? 12 : 0), 0.55f, 0.45f, 0);

        // Logo: chord stabs on the off-beats.
        if (logo && inBeat == 2)
        {
            for (int n : kChords[chord])
                Lead(lead, t, kStep * 0.8, n + 12, 0.05f, n % 2 ? -0.5f : 0.5f);
        }
    }
}

// Lead: an arpeggio in the sphere and the tunnel, the melody in the rings, the heavy part
// and the outro, and slow notes in the break.
void LayLead(Bus& lead)
{
    for (double bar = kSphere; bar < kArrangementEnd; bar += 2)
    {
        const int chord = ChordAt(bar);
        const bool arpeggio = (bar >= kSphere && bar < kLogo) || (bar >= kTunnel && bar < kGreets);
        const bool melody = (bar >= kRings && bar < kTunnel) || bar >= kGrinder;
        if (arpeggio)
        {
            const double step = bar >= kTunnel ? kStep : kStep * 2;
            for (double t = bar; t < bar + 2 - 1e-9; t += step)
            {
                const int k = static_cast<int>(std::lround((t - bar) / step));
                const int note = kChords[chord][k % 3] + 12 * ((k / 3) % 2);
                Lead(lead, t, step * 0.7, note, 0.09f, (k % 2) ? 0.4f : -0.4f);
            }
        }
        else if (melody)
        {
            for (const Note& n : Melody()[chord])
                Lead(lead, bar + n.step * kStep, n.length * kStep * 0.9, n.note,
                     bar >= kGrinder && bar < kOutro ? 0.15f : 0.12f, 0);
        }
        else if (bar >= kGreets && bar < kGrinder)
        {
            Lead(lead, bar, 1.7, kChords[chord][2] + 12, 0.08f, 0);
        }
    }
}

// The whole arrangement; the drums draw from one random sequence, in this order.
void Arrange(Bus& drums, Bus& bass, Bus& pads, Bus& lead)
{
    Random random(0x0B3E1);

    LayPads(pads);

    for (const KickHit& kick : KickPattern())
        Kick(drums, random, kick.at, kick.gain);

    // The intro's last two bars: a hat roll that rises into the beat.
    for (double t = kBeatIn - 4; t < kBeatIn; t += kStep)
        Hat(drums, random, t, static_cast<float>(0.03 + 0.1 * (t - kBeatIn + 4) / 4), 0.02, 0.1f);

    LayGrid(drums, bass, lead, random);
    LayLead(lead);
}

} // namespace

std::vector<double> KickOnsets()
{
    std::vector<double> onsets;
    for (const KickHit& kick : KickPattern())
        onsets.push_back(kick.at);
    return onsets;
}

std::vector<std::int16_t> SynthesizeMusic()
{
    const std::size_t frames = FrameAt(kMusicSeconds);
    Bus drums(frames), bass(frames), pads(frames), lead(frames);
    Arrange(drums, bass, pads, lead);
    PingPongEcho(lead, kBeat * 0.75, 0.45f, 0.5f);
    PingPongEcho(pads, kBeat * 1.5, 0.3f, 0.3f);
    Sub(bass, 0.35f);
    BassRoot(bass, 0.3f, 0.5f);

    Bus master(frames);
    Mix(master, drums, 1.0f);
    Mix(master, bass, 1.0f);
    Mix(master, pads, 0.8f);
    Mix(master, lead, 1.0f);

    // A soft limiter with its ceiling 1.5 dB below full scale leaves room for the peaks between
    // samples and the encoder's overshoot.
    constexpr double kCeiling = 0.84, kDrive = 0.8;
    std::vector<std::int16_t> out(frames * 2, 0);
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        // Fade in over the intro, out with the picture from 137 s to 147 s, then silence.
        double gain = t < kBeatIn ? 0.35 + 0.65 * t / kBeatIn : 1.0;
        if (t > kFadeOut)
            gain = std::max(0.0, 1 - (t - kFadeOut) / (kSilenceFrom - kFadeOut));
        auto sample = [&](float v)
        {
            const double shaped = kCeiling * std::tanh(v * gain * kDrive / kCeiling);
            return static_cast<std::int16_t>(std::lround(shaped * 32767));
        };
        out[2 * i] = sample(master.left[i]);
        out[2 * i + 1] = sample(master.right[i]);
    }
    return out;
}

} // namespace assets
