// The player without a usable audio driver (run with SDL_AUDIODRIVER naming none that exists).
#include "Bass.h"

#include <gtest/gtest.h>

namespace
{

TEST(BassWithoutDevice, InitFailsAndEveryLaterCallFailsQuietly)
{
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_StreamCreateFile(0, "data/music.mp3", 0, 0, BASS_STREAM_PRESCAN), 0u);
    EXPECT_EQ(BASS_Start(), 0);
    EXPECT_EQ(BASS_Update(0), 0);
    EXPECT_EQ(BASS_ChannelPlay(1, 0), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(1, BASS_POS_BYTE), ~QWORD{0});
    float spectrum[1024];
    EXPECT_EQ(BASS_ChannelGetData(1, spectrum, BASS_DATA_FFT2048), ~DWORD{0});
    EXPECT_EQ(BASS_StreamFree(1), 0);
    EXPECT_EQ(BASS_Free(), 0);
    // A second try fails the same way rather than finding half-initialised state.
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
}

} // namespace
