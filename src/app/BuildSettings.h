// The build-time settings that make the three programs from one source.
#pragma once

struct BuildSettings
{
    int width;
    int height;
    bool fullscreen;
};

#if defined(OMBREL_WIDTH) && defined(OMBREL_HEIGHT) && defined(OMBREL_FULLSCREEN)
inline constexpr BuildSettings kBuild{OMBREL_WIDTH, OMBREL_HEIGHT, OMBREL_FULLSCREEN != 0};
#endif
