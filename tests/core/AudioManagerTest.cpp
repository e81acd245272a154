// The audio manager against the recording back end.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/core/AudioManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "support/FakeAudio.h"
#include "support/TestEnv.h"

using namespace QRX;
using TestSupport::FakeAudioChannel;
using TestSupport::FakeAudioSystem;

namespace {

class AudioManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_audio.Init());
        m_fake = m_fake_scope.Last();
        ASSERT_NE(m_fake, nullptr);
    }

    FakeAudioChannel* Music() { return static_cast<FakeAudioChannel*>(m_audio.m_MusicChannel); }
    FakeAudioChannel* Effect(const std::string& name)
    {
        return static_cast<FakeAudioChannel*>(m_audio.GetChannel(name));
    }
    // Fades until the music channel's mute changes (or a frame limit).
    int UpdateUntilMute(bool mute, int limit = 60)
    {
        for (int frame = 1; frame <= limit; ++frame) {
            m_audio.Update();
            if (Music()->mute == mute) return frame;
        }
        return -1;
    }

    TestSupport::ScopedFakeAudio m_fake_scope;
    AudioManager m_audio;
    FakeAudioSystem* m_fake = nullptr;
};

TEST_F(AudioManagerTest, InitOpensTheSystemAndTakesTheMusicChannelLast)
{
    EXPECT_EQ(m_fake->maxChannels, AudioManager::MAX_CHANNELS);
    EXPECT_EQ(m_fake->initFlags, Platform::AUDIO_INIT_3D_RIGHTHANDED);
    EXPECT_EQ(m_fake->speakerMode, Platform::AUDIO_SPEAKERMODE_STEREO);
    EXPECT_FLOAT_EQ(m_audio.m_MusicVolume, 0.75f);
    EXPECT_FLOAT_EQ(m_audio.m_EffectVolume, 1.0f);
    EXPECT_FALSE(m_audio.m_MusicOff);
    EXPECT_FALSE(m_audio.m_EffectsOff);
    ASSERT_NE(Music(), nullptr);
    EXPECT_EQ(Music()->GetIndex(), 0);
    EXPECT_EQ(m_fake->calls.back(), "GetChannel 0");
    // The music volume was set before any channel existed: nothing was applied.
    EXPECT_EQ(m_fake->CountCalls("SetVolume"), 0);
    EXPECT_EQ(m_audio.m_ChannelCounter, 1u);
}

TEST_F(AudioManagerTest, EffectsTakeChannelsInLoadOrderAndLoadOnce)
{
    m_audio.LoadSound("door_open_new.mp3");
    m_audio.LoadStream("menu.mp3");
    m_audio.LoadSound("mouse_click.mp3");
    m_audio.LoadSound("door_open_new.mp3");
    m_audio.LoadSound("move0.wav");

    EXPECT_EQ(Effect("door_open_new.mp3")->GetIndex(), 1);
    EXPECT_EQ(Effect("mouse_click.mp3")->GetIndex(), 2);
    EXPECT_EQ(Effect("move0.wav")->GetIndex(), 3);
    EXPECT_EQ(m_audio.GetChannel("menu.mp3"), nullptr);  // streams get no channel of their own
    EXPECT_EQ(m_fake->CountCalls("CreateSound data/sounds/door_open_new.mp3"), 1);
    EXPECT_TRUE(m_fake->Called("CreateSound data/sounds/move0.wav 16"));
    EXPECT_TRUE(m_fake->Called("CreateStream data/sounds/menu.mp3 0"));
    EXPECT_EQ(m_audio.m_Sounds.size(), 4u);
}

TEST_F(AudioManagerTest, UnreadableFilesAreNotStoredAndTheirNamesAreIgnored)
{
    m_fake->unreadable.insert("data/sounds/broken.mp3");
    m_audio.LoadSound("broken.mp3");
    m_audio.LoadStream("broken.mp3");
    EXPECT_EQ(m_audio.m_Sounds.count("broken.mp3"), 0u);
    EXPECT_EQ(m_audio.GetChannel("broken.mp3"), nullptr);
    EXPECT_EQ(m_audio.m_ChannelCounter, 1u);  // no channel taken for it

    int plays = m_fake->CountCalls("PlaySound");
    m_audio.PlaySound("broken.mp3");
    m_audio.PlaySound("never_loaded.mp3");
    m_audio.PlaySoundAt("never_loaded.mp3", glm::vec3(0.0f), glm::vec3(1.0f));
    m_audio.PlayStream("never_loaded.mp3");
    EXPECT_EQ(m_fake->CountCalls("PlaySound"), plays);
    EXPECT_FALSE(m_audio.IsPlaying("never_loaded.mp3"));
    EXPECT_TRUE(m_audio.m_MusicName.empty());
}

TEST_F(AudioManagerTest, ReplayingAnEffectRestartsItOnItsOwnChannel)
{
    m_audio.LoadSound("crate_swish.mp3");
    m_audio.PlaySound("crate_swish.mp3");
    m_audio.PlaySound("crate_swish.mp3");
    FakeAudioChannel* channel = Effect("crate_swish.mp3");
    EXPECT_EQ(channel->starts, 2);
    EXPECT_EQ(m_fake->CountCalls("PlaySound reuse 1 "), 2);
    EXPECT_EQ(channel->mode, Platform::AUDIO_LOOP_OFF);
    EXPECT_FLOAT_EQ(channel->volume, 1.0f);
    EXPECT_TRUE(m_audio.IsPlaying("crate_swish.mp3"));
    channel->Finish();
    EXPECT_FALSE(m_audio.IsPlaying("crate_swish.mp3"));
}

TEST_F(AudioManagerTest, PlaySoundAtFollowsTheDistanceRule)
{
    m_audio.LoadSound("explosion_new.mp3");
    FakeAudioChannel* channel = Effect("explosion_new.mp3");
    const glm::vec3 listener(1.0f, 2.0f, 3.0f);
    auto at = [&](float d) { m_audio.PlaySoundAt("explosion_new.mp3", listener + glm::vec3(d, 0.0f, 0.0f), listener); };

    at(3.49f);
    EXPECT_EQ(channel->starts, 1);
    EXPECT_FLOAT_EQ(channel->volume, 1.0f);
    at(3.5f);
    EXPECT_NEAR(channel->volume, 0.65f, 1e-5f);
    at(10.0f);
    EXPECT_EQ(channel->starts, 3);
    EXPECT_NEAR(channel->volume, 0.0f, 1e-5f);
    at(10.01f);
    EXPECT_EQ(channel->starts, 3);

    // Near sounds take the effect volume; farther ones ignore it.
    m_audio.SetSoundVolume(0.5f);
    at(0.0f);
    EXPECT_FLOAT_EQ(channel->volume, 0.5f);
    at(6.5f);
    EXPECT_NEAR(channel->volume, 0.35f, 1e-5f);

    // A position that is not a number is not heard.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    m_audio.PlaySoundAt("explosion_new.mp3", glm::vec3(nan, 0.0f, 0.0f), listener);
    EXPECT_EQ(channel->starts, 5);
}

TEST_F(AudioManagerTest, EffectsOffStartsNothingButIsPlayingStillAnswers)
{
    m_audio.LoadSound("victory.mp3");
    m_audio.PlaySound("victory.mp3");
    m_audio.m_EffectsOff = true;
    m_audio.PlaySound("victory.mp3");
    m_audio.PlaySoundAt("victory.mp3", glm::vec3(0.0f), glm::vec3(0.0f));
    EXPECT_EQ(Effect("victory.mp3")->starts, 1);
    EXPECT_TRUE(m_audio.IsPlaying("victory.mp3"));
}

TEST_F(AudioManagerTest, SoundVolumeReachesEveryEffectChannel)
{
    m_audio.LoadSound("a.mp3");
    m_audio.LoadSound("b.mp3");
    m_audio.SetSoundVolume(0.3f);
    EXPECT_FLOAT_EQ(Effect("a.mp3")->volume, 0.3f);
    EXPECT_FLOAT_EQ(Effect("b.mp3")->volume, 0.3f);
    EXPECT_FLOAT_EQ(Music()->volume, 1.0f);
}

TEST_F(AudioManagerTest, PlayStreamLoopsOnTheMusicChannelAtTheMusicVolume)
{
    m_audio.LoadStream("ZuviVevo.mp3");
    m_audio.PlayStream("ZuviVevo.mp3");
    EXPECT_TRUE(m_fake->Called("PlaySound reuse 0 data/sounds/ZuviVevo.mp3"));
    EXPECT_EQ(Music()->mode, Platform::AUDIO_LOOP_NORMAL);
    EXPECT_FLOAT_EQ(Music()->volume, 0.75f);
    EXPECT_EQ(m_audio.m_MusicName, "ZuviVevo.mp3");

    // The level states' way: stop the music, play on a free channel.
    Music()->Stop();
    Platform::AudioChannel* before = m_audio.m_MusicChannel;
    m_fake->PlaySound(Platform::AUDIO_CHANNEL_FREE, m_audio.m_Sounds["ZuviVevo.mp3"], &m_audio.m_MusicChannel);
    EXPECT_NE(m_audio.m_MusicChannel, before);
    EXPECT_GT(Music()->GetIndex(), 0);
}

TEST_F(AudioManagerTest, StopAllStopsTheMasterGroup)
{
    m_audio.LoadSound("a.mp3");
    m_audio.LoadStream("m.mp3");
    m_audio.PlaySound("a.mp3");
    m_audio.PlayStream("m.mp3");
    m_audio.StopAll();
    EXPECT_TRUE(m_fake->Called("MasterStop"));
    EXPECT_FALSE(m_audio.IsPlaying("a.mp3"));
    EXPECT_FALSE(Music()->playing);
}

TEST_F(AudioManagerTest, MusicFadesOutAndMutesThenFadesBackToTheRestoreVolume)
{
    m_audio.SetMusicOff(true);
    EXPECT_FLOAT_EQ(m_audio.m_MusicRestoreVolume, 0.75f);

    float previous = m_audio.m_MusicVolume;
    int frames = 0;
    while (!Music()->mute && frames < 60) {
        float start = m_audio.m_MusicVolume;
        m_audio.Update();
        ++frames;
        EXPECT_NEAR(m_audio.m_MusicVolume, previous - 0.05f, 1e-5f);
        EXPECT_FLOAT_EQ(Music()->volume, m_audio.m_MusicVolume);
        // The channel mutes on the first frame that starts at or below 0.
        EXPECT_EQ(Music()->mute, start <= 0.0f);
        previous = m_audio.m_MusicVolume;
    }
    ASSERT_TRUE(Music()->mute);
    EXPECT_GE(frames, 16);
    EXPECT_LE(frames, 17);
    float resting = m_audio.m_MusicVolume;
    EXPECT_LT(resting, 0.0f);
    for (int i = 0; i < 5; ++i) m_audio.Update();
    EXPECT_FLOAT_EQ(m_audio.m_MusicVolume, resting);

    m_audio.SetMusicOff(false);
    int fadeIn = 0;
    while (Music()->mute && fadeIn < 60) {
        m_audio.Update();
        ++fadeIn;
        if (Music()->mute) {
            EXPECT_LT(m_audio.m_MusicVolume, 0.75f);
        }
    }
    EXPECT_GE(fadeIn, 16);
    EXPECT_LE(fadeIn, 18);
    EXPECT_EQ(m_audio.m_MusicVolume, 0.75f);
    EXPECT_EQ(Music()->volume, 0.75f);
    EXPECT_TRUE(m_fake->Called("SetMute 0 off"));
}

TEST_F(AudioManagerTest, SwitchingBackOnMidFadeClimbsFromWhereTheVolumeStands)
{
    m_audio.SetMusicOff(true);
    ASSERT_GT(UpdateUntilMute(true), 0);
    m_audio.SetMusicOff(false);
    for (int i = 0; i < 6; ++i) m_audio.Update();
    float partial = m_audio.m_MusicVolume;
    EXPECT_TRUE(Music()->mute);
    m_audio.SetMusicOff(true);  // switched off again while fading in
    for (int i = 0; i < 3; ++i) m_audio.Update();
    EXPECT_FLOAT_EQ(m_audio.m_MusicVolume, partial);  // muted and off: nothing moves
    m_audio.SetMusicOff(false);
    ASSERT_GT(UpdateUntilMute(false), 0);
    EXPECT_FLOAT_EQ(m_audio.m_MusicVolume, 0.75f);
}

TEST_F(AudioManagerTest, FocusLossAndRegainLeaveTheUsersSettingsAlone)
{
    m_audio.SetMusicOff(true);
    m_audio.m_EffectsOff = true;
    m_audio.MuteForFocusLoss();
    EXPECT_FALSE(m_audio.m_MusicMutedByDeactivation);
    EXPECT_FALSE(m_audio.m_EffectsMutedByDeactivation);
    m_audio.RestoreAfterFocusGain();
    EXPECT_TRUE(m_audio.m_MusicOff);
    EXPECT_TRUE(m_audio.m_EffectsOff);

    // Only effects were off: the music comes back, the effects stay off.
    m_audio.SetMusicOff(false);
    m_audio.MuteForFocusLoss();
    EXPECT_TRUE(m_audio.m_MusicOff);
    EXPECT_TRUE(m_audio.m_MusicMutedByDeactivation);
    m_audio.RestoreAfterFocusGain();
    EXPECT_FALSE(m_audio.m_MusicOff);
    EXPECT_TRUE(m_audio.m_EffectsOff);
    EXPECT_FALSE(m_audio.m_MusicMutedByDeactivation);
}

TEST_F(AudioManagerTest, FocusLossWhileFadingInKeepsTheRestoreVolume)
{
    m_audio.SetMusicVolume(0.6f);
    m_audio.SetMusicOff(true);
    ASSERT_GT(UpdateUntilMute(true), 0);
    m_audio.SetMusicOff(false);
    m_audio.Update();  // climbing from below 0, still muted
    ASSERT_TRUE(Music()->mute);
    ASSERT_LT(m_audio.m_MusicVolume, 0.1f);

    m_audio.MuteForFocusLoss();
    EXPECT_FLOAT_EQ(m_audio.m_MusicRestoreVolume, 0.6f);
    for (int i = 0; i < 10; ++i) m_audio.Update();
    m_audio.RestoreAfterFocusGain();
    ASSERT_GT(UpdateUntilMute(false), 0);
    EXPECT_FLOAT_EQ(m_audio.m_MusicVolume, 0.6f);
    EXPECT_FLOAT_EQ(Music()->volume, 0.6f);
}

TEST_F(AudioManagerTest, FocusLossWhilePlayingSavesTheVolume)
{
    m_audio.SetMusicVolume(0.4f);
    m_audio.MuteForFocusLoss();
    EXPECT_FLOAT_EQ(m_audio.m_MusicRestoreVolume, 0.4f);
    EXPECT_TRUE(m_audio.m_EffectsOff);
    EXPECT_TRUE(m_audio.m_EffectsMutedByDeactivation);
    m_audio.RestoreAfterFocusGain();
    EXPECT_FALSE(m_audio.m_EffectsOff);
}

TEST_F(AudioManagerTest, SetMusicVolumeAppliesToTheMusicChannel)
{
    m_audio.SetMusicVolume(0.2f);
    EXPECT_FLOAT_EQ(Music()->volume, 0.2f);
    EXPECT_FLOAT_EQ(m_audio.m_MusicVolume, 0.2f);
}

TEST(AudioManagerStart, FailuresReportFalse)
{
    TestSupport::ScopedFakeAudio fake;
    fake.failCreate = true;
    AudioManager cannotCreate;
    EXPECT_FALSE(cannotCreate.Init());
    EXPECT_EQ(cannotCreate.m_System, nullptr);

    fake.failCreate = false;
    fake.failInit = true;
    AudioManager cannotOpen;
    EXPECT_FALSE(cannotOpen.Init());
    EXPECT_EQ(fake.Last()->maxChannels, 0);
}

TEST(AudioManagerStart, NothingHappensBeforeInit)
{
    AudioManager audio;
    EXPECT_FLOAT_EQ(audio.m_MusicVolume, 1.0f);
    EXPECT_FLOAT_EQ(audio.m_EffectVolume, 1.0f);
    audio.Update();
    audio.StopAll();
    audio.LoadSound("mouse_click.mp3");
    audio.PlaySound("mouse_click.mp3");
    audio.PlayStream("menu.mp3");
    audio.SetMusicVolume(0.5f);
    audio.MuteForFocusLoss();
    audio.RestoreAfterFocusGain();
    EXPECT_FALSE(audio.IsPlaying("mouse_click.mp3"));
    EXPECT_TRUE(audio.m_Sounds.empty());
}

TEST(AudioManagerStart, MissingMusicChannelIsHarmless)
{
    TestSupport::ScopedFakeAudio fake;
    AudioManager audio;
    ASSERT_TRUE(audio.Init());
    audio.m_MusicChannel = nullptr;
    audio.SetMusicOff(true);
    audio.Update();
    audio.SetMusicVolume(0.3f);
    audio.LoadStream("menu.mp3");
    audio.PlayStream("menu.mp3");  // a reuse play without a channel takes a free one
    ASSERT_NE(audio.m_MusicChannel, nullptr);
    EXPECT_EQ(audio.m_MusicName, "menu.mp3");
}

} // namespace
