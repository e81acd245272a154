// A recording back end for the audio layer.
//
// FakeAudioSystem keeps every channel's volume, mute, mode and play count and
// records each call as a line ("GetChannel 0", "PlaySound reuse 3 door.mp3",
// "MasterStop", "Release"), so tests can check what the audio manager asked
// for without a sound device. A channel plays until it is stopped or the test
// calls Finish. ScopedFakeAudio installs it as the back end that
// Platform::CreateAudioSystem makes, and owns every system made meanwhile
// (Release only marks a fake released, so tests can still read it).
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/platform/Audio.h"

namespace QRX {
namespace TestSupport {

class FakeAudioSystem;

class FakeAudioSound : public Platform::AudioSound
{
public:
    Platform::AudioResult GetLength(unsigned* milliseconds) override;

    std::string path;
    Platform::AudioMode mode = Platform::AUDIO_MODE_DEFAULT;
    bool stream = false;
};

class FakeAudioChannel : public Platform::AudioChannel
{
public:
    FakeAudioChannel(FakeAudioSystem* owner, int index) : m_owner(owner), m_index(index) {}

    Platform::AudioResult SetVolume(float volume) override;
    Platform::AudioResult GetVolume(float* volume) override;
    Platform::AudioResult GetMute(bool* mute) override;
    Platform::AudioResult SetMute(bool mute) override;
    Platform::AudioResult SetMode(Platform::AudioMode mode) override;
    Platform::AudioResult GetMode(Platform::AudioMode* mode) override;
    Platform::AudioResult IsPlaying(bool* playing) override;
    Platform::AudioResult Stop() override;
    int GetIndex() const override { return m_index; }

    // The sound ends by itself.
    void Finish() { playing = false; }

    float volume = 1.0f;
    bool mute = false;
    Platform::AudioMode mode = Platform::AUDIO_LOOP_OFF;
    bool playing = false;
    bool reserved = false;
    int starts = 0;  // plays begun on this channel
    FakeAudioSound* sound = nullptr;

private:
    FakeAudioSystem* m_owner;
    int m_index;
};

class FakeAudioGroup : public Platform::AudioChannelGroup
{
public:
    explicit FakeAudioGroup(FakeAudioSystem* owner) : m_owner(owner) {}
    Platform::AudioResult Stop() override;

private:
    FakeAudioSystem* m_owner;
};

class FakeAudioSystem : public Platform::AudioSystem
{
public:
    FakeAudioSystem() : m_master(this) {}

    Platform::AudioResult Init(int maxChannels, unsigned flags, void* extraDriverData) override;
    Platform::AudioResult SetSpeakerMode(int speakerMode) override;
    Platform::AudioResult GetChannel(int index, Platform::AudioChannel** channel) override;
    Platform::AudioResult Update() override;
    Platform::AudioResult GetMasterChannelGroup(Platform::AudioChannelGroup** group) override;
    Platform::AudioResult CreateStream(const std::string& path, Platform::AudioMode mode,
                                       Platform::AudioSound** sound) override;
    Platform::AudioResult CreateSound(const std::string& path, Platform::AudioMode mode,
                                      Platform::AudioSound** sound) override;
    Platform::AudioResult PlaySound(int channelChoice, Platform::AudioSound* sound,
                                    Platform::AudioChannel** channel) override;
    Platform::AudioResult Release() override;
    bool UsesFallbackOutput() const override { return fallback; }

    // The channel of an index, or null when nothing ever used it.
    FakeAudioChannel* Channel(int index) const;
    // Whether a call line was recorded, and how often.
    bool Called(const std::string& line) const;
    int CountCalls(const std::string& prefix) const;
    // Plays begun of the sound file of that name (any folder, any channel).
    int CountPlays(const std::string& name) const;
    void Record(const std::string& line) { calls.push_back(line); }

    // Set by tests before the manager runs.
    bool failInit = false;
    bool fallback = false;
    std::set<std::string> unreadable;  // paths whose loads fail

    std::vector<std::string> calls;
    int maxChannels = 0;
    unsigned initFlags = 0;
    int speakerMode = 0;
    int updates = 0;
    bool initialised = false;
    bool released = false;
    std::map<int, std::unique_ptr<FakeAudioChannel>> channels;
    std::vector<std::unique_ptr<FakeAudioSound>> sounds;

private:
    Platform::AudioResult Load(const std::string& path, Platform::AudioMode mode, bool stream,
                               Platform::AudioSound** sound);
    FakeAudioChannel* Slot(int index);

    FakeAudioGroup m_master;
};

class ScopedFakeAudio
{
public:
    ScopedFakeAudio();
    ~ScopedFakeAudio();
    ScopedFakeAudio(const ScopedFakeAudio&) = delete;
    ScopedFakeAudio& operator=(const ScopedFakeAudio&) = delete;

    // The system made last, or null.
    FakeAudioSystem* Last() const { return m_made.empty() ? nullptr : m_made.back().get(); }

    // Creation itself fails (the system cannot be made).
    bool failCreate = false;
    // Applied to every fake before it is handed out.
    bool failInit = false;
    bool fallback = false;

private:
    std::vector<std::unique_ptr<FakeAudioSystem>> m_made;
};

} // namespace TestSupport
} // namespace QRX
