// Synthesizes the track at 120 beats a minute, arranged on the nine segments of the timeline:
// a quiet intro, the beat from 16.5 s, changes at each segment start, a break at 95 s, the
// heaviest part from 105 s and an outro that fades out by 147 s.
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

// Chords of A minor, one bar (2 s) each: Am, F, C, G. Roots as MIDI notes in octave 1.
constexpr std::array<int, 4> kRoots = {33, 29, 36, 31};
constexpr std::array<std::array<int, 3>, 4> kChords = {
    {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}}};

int ChordAt(double seconds)
{
    return static_cast<int>(std::floor(seconds / 2.0)) % 4;
}

void Kick(Bus& bus, double at, float gain)
{
    const std::size_t start = FrameAt(at), length = FrameAt(0.45);
    double phase = 0;
    for (std::size_t i = 0; i < length && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const double frequency = 46 + 120 * std::exp(-t / 0.035);
        phase += kTwoPi * frequency / kMusicSampleRate;
        const double envelope = std::exp(-t / 0.22) * std::min(1.0, t / 0.002);
        const double click = std::exp(-t / 0.004) * 0.3;
        const auto v =
            static_cast<float>(gain * (std::sin(phase) * envelope + click * std::sin(phase * 7)));
        bus.left[start + i] += v;
        bus.right[start + i] += v;
    }
}

void Snare(Bus& bus, Random& random, double at, float gain)
{
    const std::size_t start = FrameAt(at), length = FrameAt(0.3);
    float previous = 0, hp = 0;
    for (std::size_t i = 0; i < length && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const float noise = random.Unit() * 2 - 1;
        hp = 0.7f * (hp + noise - previous); // a one-pole high pass brightens the rattle
        previous = noise;
        const double body = std::sin(kTwoPi * 190 * t) * std::exp(-t / 0.05);
        const auto v = static_cast<float>(gain * (0.55 * hp * std::exp(-t / 0.09) + 0.5 * body));
        bus.left[start + i] += v * 0.95f;
        bus.right[start + i] += v;
    }
}

void Hat(Bus& bus, Random& random, double at, float gain, double decay, float pan)
{
    const std::size_t start = FrameAt(at), length = FrameAt(decay * 6);
    float previous = 0, hp = 0;
    for (std::size_t i = 0; i < length && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const float noise = random.Unit() * 2 - 1;
        hp = 0.45f * (hp + noise - previous);
        previous = noise;
        const auto v = static_cast<float>(gain * hp * std::exp(-t / decay));
        bus.left[start + i] += v * (1 - pan);
        bus.right[start + i] += v * (1 + pan);
    }
}

// A sine an octave below the note (around 22 to 33 Hz, where the spectrum's second bin reads),
// the note's own sine and a filtered saw an octave up; `drive` distorts the upper part in the
// heavy section.
void Bass(Bus& bus, double at, double length, double note, float gain, float bright, float drive)
{
    const std::size_t start = FrameAt(at), frames = FrameAt(length);
    const double frequency = Midi(note);
    double phase = 0;
    float low = 0;
    const float cutoff = 0.02f + 0.1f * bright;
    for (std::size_t i = 0; i < frames + FrameAt(0.02) && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        phase += frequency / kMusicSampleRate;
        const double sub = std::sin(kTwoPi * phase);
        const double deep = std::sin(kTwoPi * phase * 0.5);
        const double saw = 2 * (2 * phase - std::floor(2 * phase)) - 1;
        low += cutoff * (static_cast<float>(saw) - low);
        double envelope = std::min(1.0, t / 0.004);
        if (i >= frames)
            envelope *= 1 - static_cast<double>(i - frames) / static_cast<double>(FrameAt(0.02));
        double v = sub * 0.6 + low * 0.3;
        if (drive > 0)
            v = std::tanh(v * (1 + 3 * drive)) / std::tanh(1 + 3 * drive);
        v += deep * 0.75;
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
    const float cutoff = 0.03f + 0.12f * bright;
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
    double phase = 0;
    float low = 0;
    for (std::size_t i = 0; i < frames + release && start + i < bus.Frames(); ++i)
    {
        const double t = static_cast<double>(i) / kMusicSampleRate;
        const double vibrato = 1 + 0.004 * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t / 0.3);
        phase += increment * vibrato;
        const double p = phase - std::floor(phase);
        const double wave = (p < 0.42 ? 1.0 : -1.0) * 0.6 + (2 * p - 1) * 0.4;
        low += 0.18f * (static_cast<float>(wave) - low);
        double envelope = std::min(1.0, t / 0.01) * (0.75 + 0.25 * std::exp(-t / 0.15));
        if (i >= frames)
            envelope *= 1 - static_cast<double>(i - frames) / static_cast<double>(release);
        const auto v = static_cast<float>(gain * envelope * low);
        bus.left[start + i] += v * (1 - pan);
        bus.right[start + i] += v * (1 + pan);
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

void Arrange(Bus& drums, Bus& bass, Bus& pads, Bus& lead)
{
    Random random(0x0B3E1);
    const double end = kSilenceFrom - 1.0;

    // Pads: every bar from the start; brighter once the beat is in, softer in the break.
    for (double bar = 0; bar < end; bar += 2)
    {
        float gain = bar < kBeatIn ? static_cast<float>(0.25 + 0.5 * bar / kBeatIn) : 0.8f;
        float bright = bar < kBeatIn ? static_cast<float>(bar / kBeatIn) * 0.5f : 0.6f;
        if (bar >= kGreets && bar < kGrinder)
            gain = 1.0f, bright = 0.9f;
        if (bar >= kLogo && bar < kRings)
            bright = 0.9f;
        Pad(pads, bar, 2.0, kChords[ChordAt(bar)], gain, bright);
    }

    // Drums and bass on the sixteenth grid from the beat's entry.
    for (int step = static_cast<int>(kBeatIn / kStep); step * kStep < end; ++step)
    {
        const double t = step * kStep;
        const int inBar = step % 16, inBeat = step % 4;
        const bool onBeat = inBeat == 0;
        const bool greets = t >= kGreets && t < kGrinder;
        const bool grinder = t >= kGrinder && t < kOutro;
        const bool tunnel = t >= kTunnel && t < kGreets;
        const bool logo = t >= kLogo && t < kRings;
        const int chord = ChordAt(t);
        const double root = kRoots[chord];

        // Kick: four to the bar; the break keeps one a bar so the cuts go on; the heavy part
        // adds an off-beat kick before each bar's last beat.
        if (greets ? inBar == 0 : onBeat)
            Kick(drums, t, greets ? 0.7f : 0.9f);
        if (grinder && inBar == 11)
            Kick(drums, t, 0.7f);

        // Snare or clap on beats 2 and 4 from the second section.
        if (t >= kSphere && !greets && (inBar == 4 || inBar == 12))
            Snare(drums, random, t, grinder ? 0.55f : 0.42f);
        if (grinder && inBar == 14)
            Snare(drums, random, t, 0.25f);

        // Hats: off-beat eighths, sixteenths in the busier parts, open ones in the tunnel.
        if (!greets)
        {
            if (inBeat == 2)
                Hat(drums, random, t, tunnel ? 0.22f : 0.16f, tunnel ? 0.09 : 0.035, 0.2f);
            else if ((t >= kRings || grinder) && inBeat != 0)
                Hat(drums, random, t, 0.07f, 0.02, -0.25f);
        }

        // Bass: off-beat eighths over a held sub, rolling sixteenths in the tunnel and the heavy
        // part, long notes under the stabs of the logo and the break.
        const float drive = grinder ? 0.8f : 0.0f;
        if (greets || logo)
        {
            if (inBar == 0 || inBar == 8)
                Bass(bass, t, 1.0 - 0.02, root, greets ? 0.45f : 0.5f, 0.2f, 0);
        }
        else if (tunnel || grinder || t >= kRings)
        {
            const double note = root + ((inBeat == 2) ? 12 : 0);
            Bass(bass, t, kStep * 0.8, note, grinder ? 0.5f : 0.45f, grinder ? 0.9f : 0.6f, drive);
        }
        else
        {
            if (inBeat == 2 || inBeat == 3)
                Bass(bass, t, kStep * 0.9, root + (inBeat == 3 ? 12 : 0), 0.45f, 0.4f, 0);
            if (inBeat == 0)
                Bass(bass, t, kStep * 1.8, root, 0.42f, 0.1f, 0);
        }

        // Logo: chord stabs on the off-beats.
        if (logo && inBeat == 2)
        {
            for (int n : kChords[chord])
                Lead(lead, t, kStep * 0.8, n + 12, 0.05f, n % 2 ? -0.5f : 0.5f);
        }
    }

    // Lead: an arpeggio in the sphere and the tunnel, the melody in the rings, the heavy part
    // and the outro, and slow notes in the break.
    for (double bar = kSphere; bar < end; bar += 2)
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

} // namespace

std::vector<std::int16_t> SynthesizeMusic()
{
    const std::size_t frames = FrameAt(kMusicSeconds);
    Bus drums(frames), bass(frames), pads(frames), lead(frames);
    Arrange(drums, bass, pads, lead);
    PingPongEcho(lead, kBeat * 0.75, 0.45f, 0.5f);
    PingPongEcho(pads, kBeat * 1.5, 0.3f, 0.3f);

    Bus master(frames);
    Mix(master, drums, 1.0f);
    Mix(master, bass, 1.0f);
    Mix(master, pads, 0.8f);
    Mix(master, lead, 1.0f);

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
            const double shaped = std::tanh(v * gain * 0.9); // soft limit, never wraps
            return static_cast<std::int16_t>(std::lround(shaped * 32000));
        };
        out[2 * i] = sample(master.left[i]);
        out[2 * i + 1] = sample(master.right[i]);
    }
    return out;
}

} // namespace assets
