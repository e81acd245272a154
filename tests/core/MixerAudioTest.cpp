// The SDL2_mixer back end and the audio manager on it, with the dummy driver.
#include <gtest/gtest.h>

#include <SDL2/SDL_mixer.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>

#include "engine/core/AudioManager.h"
#include "engine/platform/MixerAudio.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::Platform;

namespace {

// How long a short sound may take to play out beyond its length: the mixer
// runs on a thread of its own, which a loaded machine starves.
constexpr std::chrono::milliseconds PLAY_OUT_DEADLINE(60000);

// Polls until the channel stops playing; false when it still plays at the deadline.
bool WaitUntilSilent(AudioChannel* channel, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    bool playing = true;
    while (std::chrono::steady_clock::now() < deadline) {
        channel->IsPlaying(&playing);
        if (!playing) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class MixerAudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateMixerAudioSystem(&m_system), AUDIO_OK);
        ASSERT_EQ(m_system->Init(8, AUDIO_INIT_NORMAL, nullptr), AUDIO_OK);
    }
    void TearDown() override
    {
        if (m_system) m_system->Release();
    }
    AudioSound* Load(const std::string& name)
    {
        AudioSound* sound = nullptr;
        EXPECT_EQ(m_system->CreateSound("data/sounds/" + name, AUDIO_MODE_DEFAULT, &sound), AUDIO_OK);
        return sound;
    }

    AudioSystem* m_system = nullptr;
};

TEST_F(MixerAudioTest, VolumeIsClampedAndMuteKeepsIt)
{
    AudioChannel* channel = nullptr;
    ASSERT_EQ(m_system->GetChannel(2, &channel), AUDIO_OK);
    channel->SetVolume(0.5f);
    EXPECT_EQ(Mix_Volume(2, -1), 64);
    channel->SetVolume(1.7f);
    EXPECT_EQ(Mix_Volume(2, -1), MIX_MAX_VOLUME);
    channel->SetVolume(-0.05f);
    EXPECT_EQ(Mix_Volume(2, -1), 0);
    channel->SetVolume(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Mix_Volume(2, -1), 0);

    channel->SetVolume(0.75f);
    channel->SetMute(true);
    EXPECT_EQ(Mix_Volume(2, -1), 0);
    float stored = 0.0f;
    channel->GetVolume(&stored);
    EXPECT_FLOAT_EQ(stored, 0.75f);
    channel->SetVolume(0.25f);  // still muted
    EXPECT_EQ(Mix_Volume(2, -1), 0);
    channel->SetMute(false);
    EXPECT_EQ(Mix_Volume(2, -1), 32);
}

TEST_F(MixerAudioTest, CallsOnAnIdleChannelAreHarmless)
{
    AudioChannel* channel = nullptr;
    ASSERT_EQ(m_system->GetChannel(0, &channel), AUDIO_OK);
    bool playing = true;
    EXPECT_EQ(channel->IsPlaying(&playing), AUDIO_OK);
    EXPECT_FALSE(playing);
    EXPECT_EQ(channel->Stop(), AUDIO_OK);
    EXPECT_EQ(channel->SetMode(AUDIO_LOOP_NORMAL), AUDIO_OK);
    channel->IsPlaying(&playing);
    EXPECT_FALSE(playing);  // a mode change starts nothing
    EXPECT_EQ(m_system->GetChannel(8, &channel), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(m_system->GetChannel(-1, &channel), AUDIO_ERR_INVALID_PARAM);
}

TEST_F(MixerAudioTest, PlaysEndByThemselvesAndStopEndsThemAtOnce)
{
    AudioSound* click = Load("mouse_click.mp3");
    ASSERT_NE(click, nullptr);
    unsigned length = 0;
    click->GetLength(&length);
    EXPECT_GT(length, 40u);
    EXPECT_LT(length, 300u);

    AudioChannel* channel = nullptr;
    ASSERT_EQ(m_system->GetChannel(1, &channel), AUDIO_OK);
    AudioChannel* played = channel;
    ASSERT_EQ(m_system->PlaySound(AUDIO_CHANNEL_REUSE, click, &played), AUDIO_OK);
    EXPECT_EQ(played, channel);
    bool playing = false;
    channel->IsPlaying(&playing);
    EXPECT_TRUE(playing);
    EXPECT_TRUE(WaitUntilSilent(channel, std::chrono::milliseconds(length) + PLAY_OUT_DEADLINE));

    m_system->PlaySound(AUDIO_CHANNEL_REUSE, click, &played);
    channel->Stop();
    channel->IsPlaying(&playing);
    EXPECT_FALSE(playing);
}

TEST_F(MixerAudioTest, LoopChangeOnAPlayingChannelKeepsItPlaying)
{
    AudioSound* hover = Load("mouse_hover.mp3");
    AudioChannel* channel = nullptr;
    ASSERT_EQ(m_system->GetChannel(0, &channel), AUDIO_OK);
    ASSERT_EQ(m_system->PlaySound(AUDIO_CHANNEL_REUSE, hover, &channel), AUDIO_OK);
    AudioMode mode = AUDIO_LOOP_NORMAL;
    channel->GetMode(&mode);
    EXPECT_EQ(mode, AUDIO_MODE_DEFAULT);  // taken from the sound
    channel->SetMode(AUDIO_LOOP_NORMAL);
    EXPECT_FALSE(WaitUntilSilent(channel, std::chrono::milliseconds(400)));
    channel->SetMode(AUDIO_LOOP_OFF);  // restarts once, then ends
    EXPECT_TRUE(WaitUntilSilent(channel, PLAY_OUT_DEADLINE));
}

TEST_F(MixerAudioTest, FreePlaysNeverTakeReservedOrBusyChannels)
{
    AudioSound* hover = Load("mouse_hover.mp3");
    AudioChannel* reserved = nullptr;
    for (int i = 0; i < 6; ++i) ASSERT_EQ(m_system->GetChannel(i, &reserved), AUDIO_OK);

    AudioChannel* first = nullptr;
    ASSERT_EQ(m_system->PlaySound(AUDIO_CHANNEL_FREE, hover, &first), AUDIO_OK);
    first->SetMode(AUDIO_LOOP_NORMAL);
    EXPECT_EQ(first->GetIndex(), 7);
    AudioChannel* second = nullptr;
    ASSERT_EQ(m_system->PlaySound(AUDIO_CHANNEL_FREE, hover, &second), AUDIO_OK);
    second->SetMode(AUDIO_LOOP_NORMAL);
    EXPECT_EQ(second->GetIndex(), 6);
    AudioChannel* third = nullptr;
    EXPECT_EQ(m_system->PlaySound(AUDIO_CHANNEL_FREE, hover, &third), AUDIO_ERR_CHANNEL_ALLOC);
    EXPECT_EQ(third, nullptr);

    // A reuse play without a channel takes a free one too.
    first->Stop();
    AudioChannel* none = nullptr;
    ASSERT_EQ(m_system->PlaySound(AUDIO_CHANNEL_REUSE, hover, &none), AUDIO_OK);
    EXPECT_EQ(none, first);

    AudioChannelGroup* master = nullptr;
    ASSERT_EQ(m_system->GetMasterChannelGroup(&master), AUDIO_OK);
    master->Stop();
    bool playing = true;
    second->IsPlaying(&playing);
    EXPECT_FALSE(playing);
}

TEST_F(MixerAudioTest, ForeignSoundsAndChannelsAreRefused)
{
    AudioSound* hover = Load("mouse_hover.mp3");
    AudioChannel* channel = nullptr;
    EXPECT_EQ(m_system->PlaySound(AUDIO_CHANNEL_FREE, nullptr, &channel), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(m_system->PlaySound(AUDIO_CHANNEL_FREE, hover, nullptr), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(m_system->PlaySound(99, hover, &channel), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(channel, nullptr);
}

TEST_F(MixerAudioTest, BadFilesAreRefusedWithoutHarm)
{
    std::string dir = TestSupport::MakeTempDir("zendra-sounds");
    TestSupport::WriteFile(dir + "/empty.mp3", "");
    TestSupport::WriteFile(dir + "/text.mp3", "this is not a sound file at all\n");
    std::string real = TestSupport::ReadFile("data/sounds/explosion_new.mp3");
    ASSERT_GT(real.size(), 1000u);
    TestSupport::WriteFile(dir + "/truncated.mp3", real.substr(0, 700));
    std::string wav = TestSupport::ReadFile("data/sounds/move0.wav");
    TestSupport::WriteFile(dir + "/truncated.wav", wav.substr(0, 30));

    AudioSound* sound = nullptr;
    EXPECT_EQ(m_system->CreateSound(dir + "/missing.mp3", AUDIO_MODE_3D, &sound), AUDIO_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(m_system->CreateSound(dir + "/empty.mp3", AUDIO_MODE_3D, &sound), AUDIO_ERR_FORMAT);
    EXPECT_EQ(m_system->CreateStream(dir + "/text.mp3", AUDIO_MODE_DEFAULT, &sound), AUDIO_ERR_FORMAT);
    EXPECT_EQ(m_system->CreateSound(dir + "/truncated.wav", AUDIO_MODE_3D, &sound), AUDIO_ERR_FORMAT);
    EXPECT_EQ(sound, nullptr);
    // A cut MP3 may keep its whole frames; it must either load and play or be refused.
    AudioResult cut = m_system->CreateSound(dir + "/truncated.mp3", AUDIO_MODE_3D, &sound);
    EXPECT_TRUE(cut == AUDIO_OK || cut == AUDIO_ERR_FORMAT);
    if (cut == AUDIO_OK) {
        AudioChannel* channel = nullptr;
        EXPECT_EQ(m_system->PlaySound(AUDIO_CHANNEL_FREE, sound, &channel), AUDIO_OK);
    }
    TestSupport::RemoveTree(dir);
}

TEST_F(MixerAudioTest, OneSystemHoldsTheMixerAtATime)
{
    AudioSystem* second = nullptr;
    ASSERT_EQ(CreateMixerAudioSystem(&second), AUDIO_OK);
    EXPECT_EQ(second->Init(8, AUDIO_INIT_NORMAL, nullptr), AUDIO_ERR_INITIALIZED);
    second->Release();

    // Release while a sound plays, then open again.
    AudioSound* hover = Load("mouse_hover.mp3");
    AudioChannel* channel = nullptr;
    m_system->PlaySound(AUDIO_CHANNEL_FREE, hover, &channel);
    EXPECT_EQ(m_system->SetSpeakerMode(AUDIO_SPEAKERMODE_MONO), AUDIO_ERR_INITIALIZED);
    EXPECT_EQ(m_system->SetSpeakerMode(AUDIO_SPEAKERMODE_STEREO), AUDIO_OK);
    m_system->Release();
    m_system = nullptr;
    ASSERT_EQ(CreateMixerAudioSystem(&m_system), AUDIO_OK);
    EXPECT_EQ(m_system->Init(4, AUDIO_INIT_NORMAL, nullptr), AUDIO_OK);
}

TEST(MixerAudioStart, UnusableDriverFallsBackToTheSilentOne)
{
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    AudioSystem* system = nullptr;
    ASSERT_EQ(CreateMixerAudioSystem(&system), AUDIO_OK);
    EXPECT_EQ(system->Init(16, AUDIO_INIT_NORMAL, nullptr), AUDIO_OK);
    EXPECT_TRUE(system->UsesFallbackOutput());
    AudioChannel* channel = nullptr;
    EXPECT_EQ(system->GetChannel(0, &channel), AUDIO_OK);
    system->Release();
    if (old) ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else ::unsetenv("SDL_AUDIODRIVER");
}

TEST(MixerAudioStart, UseBeforeInitIsRefused)
{
    AudioSystem* system = nullptr;
    ASSERT_EQ(CreateMixerAudioSystem(&system), AUDIO_OK);
    AudioChannel* channel = nullptr;
    AudioSound* sound = nullptr;
    EXPECT_EQ(system->GetChannel(0, &channel), AUDIO_ERR_UNINITIALIZED);
    EXPECT_EQ(system->CreateSound("data/sounds/mouse_click.mp3", AUDIO_MODE_3D, &sound), AUDIO_ERR_UNINITIALIZED);
    EXPECT_EQ(system->Update(), AUDIO_ERR_UNINITIALIZED);
    EXPECT_EQ(system->Init(0, AUDIO_INIT_NORMAL, nullptr), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(system->SetSpeakerMode(7), AUDIO_ERR_INVALID_PARAM);
    system->Release();
}

// The manager on the real back end, as the game runs it.
class MixerManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_audio.Init()); }
    void TearDown() override
    {
        m_audio.StopAll();
        m_audio.m_System->Release();
        m_audio.m_System = nullptr;
    }
    AudioManager m_audio;
};

TEST_F(MixerManagerTest, EveryGameSoundLoads)
{
    const char* streams[] = {"ZuviVevo.mp3", "menu.mp3"};
    const char* effects[] = {"door_open_new.mp3", "door_close_new.mp3", "eleccharger.mp3", "energyactive.mp3",
                             "move0.wav", "move1.wav", "switch_activate_new.mp3", "switch_deactivate_new.mp3",
                             "level_change.mp3", "mouse_hover.mp3", "mouse_click.mp3", "explosion_new.mp3",
                             "teleportation_new.mp3", "power_active.mp3", "crate_pickup_new.mp3",
                             "crate_putdown_new.mp3", "crate_swish.mp3", "conveyorbelt.mp3", "victory.mp3",
                             "ai_alerted.mp3", "bridge_extend.mp3", "bridge_shrinking.mp3"};
    for (const char* name : streams) m_audio.LoadStream(name);
    for (const char* name : effects) m_audio.LoadSound(name);
    for (const char* name : streams) EXPECT_EQ(m_audio.m_Sounds.count(name), 1u) << name;
    unsigned index = 1;
    for (const char* name : effects) {
        ASSERT_EQ(m_audio.m_Sounds.count(name), 1u) << name;
        ASSERT_NE(m_audio.GetChannel(name), nullptr) << name;
        EXPECT_EQ(m_audio.GetChannel(name)->GetIndex(), static_cast<int>(index++)) << name;
        unsigned length = 0;
        m_audio.m_Sounds[name]->GetLength(&length);
        EXPECT_GT(length, 40u) << name;
        EXPECT_LT(length, 3000u) << name;
    }
    unsigned music = 0;
    m_audio.m_Sounds["ZuviVevo.mp3"]->GetLength(&music);
    EXPECT_GT(music, 4000u);

    // Every file in the folder is one of the game's sounds (besides the generator).
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/sounds"))
        if (entry.path().extension() != ".py") ++files;
    EXPECT_EQ(files, m_audio.m_Sounds.size());
}

TEST_F(MixerManagerTest, IsPlayingFollowsTheSound)
{
    m_audio.LoadSound("switch_activate_new.mp3");
    EXPECT_FALSE(m_audio.IsPlaying("switch_activate_new.mp3"));
    m_audio.PlaySound("switch_activate_new.mp3");
    EXPECT_TRUE(m_audio.IsPlaying("switch_activate_new.mp3"));
    unsigned length = 0;
    m_audio.m_Sounds["switch_activate_new.mp3"]->GetLength(&length);
    EXPECT_TRUE(WaitUntilSilent(m_audio.GetChannel("switch_activate_new.mp3"),
                                std::chrono::milliseconds(length) + PLAY_OUT_DEADLINE));
    EXPECT_FALSE(m_audio.IsPlaying("switch_activate_new.mp3"));

    m_audio.PlaySound("never_loaded.mp3");
    EXPECT_FALSE(m_audio.IsPlaying("never_loaded.mp3"));
    m_audio.LoadSound("no_such_file.mp3");
    EXPECT_EQ(m_audio.m_Sounds.count("no_such_file.mp3"), 0u);
}

TEST_F(MixerManagerTest, MusicLoopsAndFadesOnTheMixer)
{
    m_audio.LoadStream("menu.mp3");
    m_audio.PlayStream("menu.mp3");
    int index = m_audio.m_MusicChannel->GetIndex();
    EXPECT_EQ(index, 0);
    bool playing = false;
    m_audio.m_MusicChannel->IsPlaying(&playing);
    EXPECT_TRUE(playing);
    EXPECT_EQ(Mix_Volume(index, -1), 96);  // 0.75 of full

    m_audio.SetMusicOff(true);
    for (int i = 0; i < 20; ++i) m_audio.Update();
    EXPECT_EQ(Mix_Volume(index, -1), 0);
    m_audio.SetMusicOff(false);
    for (int i = 0; i < 20; ++i) m_audio.Update();
    EXPECT_EQ(Mix_Volume(index, -1), 96);
    m_audio.m_MusicChannel->IsPlaying(&playing);
    EXPECT_TRUE(playing);
}

} // namespace
