// Tests of the sound manager's channel rules with the recording backend, and one run over SDL2_mixer.
#include "core/sound/CSoundManager.h"

#include "platform/system/MessageBox.h"
#include "support/DisplayFixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

using platform::FakeSoundBackend;

namespace {

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
    }
    void TearDown() override { platform::SetMessageEcho(true); }
    FakeSoundBackend m_backend;
    CSoundManager m_sound{"Sounds", &m_backend};
};

} // namespace

TEST_F(SoundTest, TableHoldsTheFortyFourFiles)
{
    EXPECT_STREQ(g_aszSoundFiles[0], "Click.wav");
    EXPECT_STREQ(g_aszSoundFiles[15], "FireLoop.wav");
    EXPECT_STREQ(g_aszSoundFiles[38], "Appointed_I.wav");
    EXPECT_STREQ(g_aszSoundFiles[43], "PoliceCarDriveAway.wav");
}

TEST_F(SoundTest, NothingOpensAudioUntilSomethingPlays)
{
    {
        FakeSoundBackend idle;
        CSoundManager unused("Sounds", &idle);
    }
    EXPECT_FALSE(m_backend.IsStarted());
    EXPECT_EQ(m_sound.Play(0, 1.0f, false), 0);
    ASSERT_TRUE(m_backend.IsStarted());
    EXPECT_EQ(m_backend.Calls().front(), "startup 44100 8 1");
    EXPECT_EQ(m_backend.Calls()[1], "load Sounds/Click.wav");
    m_sound.Shutdown();
    EXPECT_FALSE(m_backend.IsStarted());
    EXPECT_EQ(m_backend.LoadedCount(), 0);
}

TEST_F(SoundTest, RefusalsChangeNoChannel)
{
    EXPECT_EQ(m_sound.Play(44, 1.0f, false), -1);
    EXPECT_EQ(m_sound.Play(-1, 1.0f, false), -1);
    m_sound.EnableSound(false);
    EXPECT_EQ(m_sound.Play(3, 1.0f, true), -1);
    EXPECT_TRUE(m_backend.Calls().empty());
    for (int i = 0; i < CSoundManager::kChannelCount; ++i)
        EXPECT_EQ(m_sound.GetChannel(i).nSound, -1);
}

TEST_F(SoundTest, StartupFailureIsShownOnceAndEveryPlayRefused)
{
    m_backend.failStartup = true;
    EXPECT_EQ(m_sound.Play(0, 1.0f, false), -1);
    EXPECT_EQ(m_sound.Play(1, 1.0f, false), -1);
    EXPECT_EQ(m_backend.StartupCount(), 1);
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].title, "Couldn't open MSS.");
    EXPECT_EQ(platform::RecordedMessages()[0].text, "no audio device");
}

TEST_F(SoundTest, ChannelChoiceAndReplay)
{
    EXPECT_EQ(m_sound.Play(6, 1.0f, false), 0);
    EXPECT_EQ(m_sound.Play(6, 1.0f, false), 1); // first still playing: a further channel
    EXPECT_EQ(m_sound.Play(7, 1.0f, false), 2);
    m_backend.FinishAll();
    platform::SoundHandle first = m_sound.GetChannel(0).hSample;
    EXPECT_EQ(m_sound.Play(6, 1.0f, false), 0); // replay of the finished sample
    EXPECT_EQ(m_sound.GetChannel(0).hSample, first);
    EXPECT_EQ(m_backend.Find(first)->plays, 2);
    // A finished one-shot channel of another sound is reused: its old sample is unloaded.
    platform::SoundHandle old = m_sound.GetChannel(2).hSample;
    EXPECT_EQ(m_sound.Play(8, 1.0f, false), 1); // channel 1 (sound 6) finished, not looping
    EXPECT_EQ(m_sound.Play(9, 1.0f, false), 2);
    EXPECT_EQ(m_backend.Find(old), nullptr);
    EXPECT_EQ(m_sound.GetChannel(2).nSound, 9);
}

TEST_F(SoundTest, VolumeIsSetOnlyWhenAboveZero)
{
    int loud = m_sound.Play(1, 0.4f, false);
    int quiet = m_sound.Play(2, 0.0f, false);
    int negative = m_sound.Play(3, -1.0f, false);
    EXPECT_FLOAT_EQ(m_backend.Find(m_sound.GetChannel(loud).hSample)->volume, 0.4f);
    EXPECT_FLOAT_EQ(m_backend.Find(m_sound.GetChannel(quiet).hSample)->volume, 1.0f);
    EXPECT_FLOAT_EQ(m_backend.Find(m_sound.GetChannel(negative).hSample)->volume, 1.0f);
}

TEST_F(SoundTest, LoopsHoldTheirChannelsUntilStopped)
{
    for (int i = 0; i < CSoundManager::kChannelCount; ++i)
        ASSERT_EQ(m_sound.Play(i % 44, 1.0f, true), i);
    m_backend.FinishAll(); // even finished, looping channels stay taken
    EXPECT_EQ(m_sound.Play(40, 1.0f, false), -1);
    m_sound.StopLoop(5);
    EXPECT_EQ(m_sound.GetChannel(5).nSound, -1);
    EXPECT_EQ(m_sound.Play(40, 1.0f, false), 5);
}

TEST_F(SoundTest, StopLoopRefusesOutsideTheChannelsAndNonLoopingChannels)
{
    int oneShot = m_sound.Play(0, 1.0f, false);
    int loop = m_sound.Play(15, 1.0f, true);
    for (int bad : {-30, -2, -1, 30, 1000})
        m_sound.StopLoop(bad);
    m_sound.StopLoop(oneShot);
    m_sound.StopLoop(7); // free
    EXPECT_EQ(m_sound.GetChannel(oneShot).nSound, 0);
    EXPECT_EQ(m_sound.GetChannel(loop).nSound, 15);
    m_sound.StopLoop(loop);
    EXPECT_EQ(m_sound.GetChannel(loop).nSound, -1);
    EXPECT_EQ(m_backend.LoadedCount(), 1);
}

TEST_F(SoundTest, LoopingReplayTakesTheRequestedFlagAndCanBeStopped)
{
    int channel = m_sound.Play(16, 1.0f, false);
    m_backend.FinishAll();
    EXPECT_EQ(m_sound.Play(16, 1.0f, true), channel);
    EXPECT_TRUE(m_sound.GetChannel(channel).bLooping);
    EXPECT_EQ(m_backend.Find(m_sound.GetChannel(channel).hSample)->loopCount, 0);
    m_sound.StopLoop(channel);
    EXPECT_EQ(m_sound.GetChannel(channel).nSound, -1);
}

TEST_F(SoundTest, MissingFileLeavesTheChannelFree)
{
    m_backend.missingFiles = {"FireLoop.wav"};
    EXPECT_EQ(m_sound.Play(15, 1.0f, true), -1);
    EXPECT_EQ(m_sound.GetChannel(0).nSound, -1);
    EXPECT_FALSE(m_sound.GetChannel(0).bLooping);
    EXPECT_EQ(m_sound.Play(0, 1.0f, false), 0);
    // Told once, however often the sound is asked for.
    EXPECT_EQ(m_sound.Play(15, 1.0f, true), -1);
    const auto shown = platform::RecordedMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, " Couldn't load Sounds/FireLoop.wav\n");
}

TEST_F(SoundTest, SwitchHaltsAndRestartsLoopsOnly)
{
    int loop = m_sound.Play(15, 1.0f, true);
    int shot = m_sound.Play(6, 1.0f, false);
    m_sound.EnableSound(false);
    EXPECT_FALSE(m_sound.IsSoundEnabled());
    auto* loopSample = m_backend.Find(m_sound.GetChannel(loop).hSample);
    auto* shotSample = m_backend.Find(m_sound.GetChannel(shot).hSample);
    EXPECT_EQ(loopSample->status, platform::kSoundStatusDone);
    EXPECT_EQ(shotSample->status, platform::kSoundStatusPlaying);
    shotSample->status = platform::kSoundStatusDone;
    m_sound.EnableSound(true);
    EXPECT_EQ(loopSample->status, platform::kSoundStatusPlaying);
    EXPECT_EQ(loopSample->loopCount, 0);
    EXPECT_EQ(shotSample->status, platform::kSoundStatusDone);
}

TEST(SoundOverSdlMixer, PlaysAWaveOnTheDummyDriver)
{
    std::filesystem::create_directories("Sounds");
    ASSERT_TRUE(fixtures::WriteFile("Sounds/Click.wav", fixtures::MakeWav(4410)));
    CSoundManager sound("Sounds");
    ASSERT_TRUE(sound.Startup());
    EXPECT_EQ(sound.Play(0, 1.0f, false), 0);
    EXPECT_EQ(sound.Play(1, 1.0f, false), -1); // "RollOver.wav" is not there
    EXPECT_EQ(sound.Play(0, 0.5f, true), 1);
    sound.StopLoop(1);
    sound.Shutdown();
}
