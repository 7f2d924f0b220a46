// Smoke test of the SDL2_mixer backend on the dummy audio driver with a WAV the test writes.
#include "platform/sound/SoundBackend.h"

#include "support/DisplayFixtures.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(SdlMixerBackend, LoadsPlaysHaltsAndUnloadsOnTheDummyDriver)
{
    ASSERT_TRUE(fixtures::WriteFile("beep.wav", fixtures::MakeWav(22050)));
    auto backend = CreateSdlMixerBackend();
    EXPECT_EQ(backend->LoadAndPlay("beep.wav", 1, 0), 0u); // not started yet
    ASSERT_TRUE(backend->Startup(44100, 8, 1)) << backend->LastError();

    SoundHandle loop = backend->LoadAndPlay("beep.wav", 0, 3);
    ASSERT_NE(loop, 0u) << backend->LastError();
    EXPECT_EQ(backend->Status(loop), kSoundStatusPlaying);
    backend->SetVolume(loop, 0.4f);
    backend->Halt(loop);
    EXPECT_EQ(backend->Status(loop), kSoundStatusDone);
    backend->Play(loop, 0);
    EXPECT_EQ(backend->Status(loop), kSoundStatusPlaying);

    // A new sample on the same channel replaces the old one there.
    SoundHandle other = backend->LoadAndPlay("beep.wav", 1, 3);
    ASSERT_NE(other, 0u);
    EXPECT_EQ(backend->Status(other), kSoundStatusPlaying);
    EXPECT_EQ(backend->Status(loop), kSoundStatusDone);

    EXPECT_EQ(backend->LoadAndPlay("missing.wav", 1, 4), 0u);
    EXPECT_FALSE(backend->LastError().empty());
    EXPECT_EQ(backend->LoadAndPlay("beep.wav", 1, 99), 0u);

    backend->Unload(loop);
    backend->Unload(other);
    EXPECT_EQ(backend->Status(other), kSoundStatusDone);
    backend->Shutdown();
    EXPECT_TRUE(backend->Startup(44100, 16, 2)); // can open again
    backend->Shutdown();
}
