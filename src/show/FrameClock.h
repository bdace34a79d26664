// The presentation's clock: when it ends, and the music time between frames.
#pragma once

// The presentation ends with the first frame whose music position is past this.
inline constexpr float kMusicEndTime = 150.0f;

inline bool MusicHasEnded(float musicTime)
{
    return musicTime > kMusicEndTime;
}

// Music time between frames; the first frame measures from 0.
struct FrameClock
{
    float previousTime = 0.0f;

    float Advance(float musicTime)
    {
        const float deltaTime = musicTime - previousTime;
        previousTime = musicTime;
        return deltaTime;
    }
};
