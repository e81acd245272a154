#include "engine/platform/MixerAudio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cmath>
#include <memory>
#include <new>
#include <vector>

namespace QRX {
namespace Platform {

namespace {

class MixerSystem;

bool Loops(AudioMode mode) { return (mode & AUDIO_LOOP_NORMAL) != 0; }

class MixerSound : public AudioSound
{
public:
    MixerSound(Mix_Chunk* chunk, AudioMode mode, unsigned bytesPerSecond)
        : m_chunk(chunk), m_mode(mode), m_bytesPerSecond(bytesPerSecond)
    {
    }
    ~MixerSound() override { Mix_FreeChunk(m_chunk); }

    AudioResult GetLength(unsigned* milliseconds) override
    {
        if (!milliseconds) return AUDIO_ERR_INVALID_PARAM;
        *milliseconds = m_bytesPerSecond
            ? static_cast<unsigned>(static_cast<unsigned long long>(m_chunk->alen) * 1000ull / m_bytesPerSecond)
            : 0u;
        return AUDIO_OK;
    }

    Mix_Chunk* Chunk() const { return m_chunk; }
    AudioMode Mode() const { return m_mode; }

private:
    Mix_Chunk* m_chunk;
    AudioMode m_mode;
    unsigned m_bytesPerSecond;
};

class MixerChannel : public AudioChannel
{
public:
    explicit MixerChannel(int index) : m_index(index) {}

    AudioResult SetVolume(float volume) override
    {
        m_volume = volume;
        Apply();
        return AUDIO_OK;
    }
    AudioResult GetVolume(float* volume) override
    {
        if (!volume) return AUDIO_ERR_INVALID_PARAM;
        *volume = m_volume;
        return AUDIO_OK;
    }
    AudioResult GetMute(bool* mute) override
    {
        if (!mute) return AUDIO_ERR_INVALID_PARAM;
        *mute = m_mute;
        return AUDIO_OK;
    }
    AudioResult SetMute(bool mute) override
    {
        m_mute = mute;
        Apply();
        return AUDIO_OK;
    }
    AudioResult SetMode(AudioMode mode) override
    {
        bool changed = Loops(mode) != Loops(m_mode);
        m_mode = mode;
        // The mixer fixes the loop count when a play starts, so a change on a
        // playing channel starts the sound again with the new count.
        if (changed && m_sound && Mix_Playing(m_index)) Start(m_sound);
        return AUDIO_OK;
    }
    AudioResult GetMode(AudioMode* mode) override
    {
        if (!mode) return AUDIO_ERR_INVALID_PARAM;
        *mode = m_mode;
        return AUDIO_OK;
    }
    AudioResult IsPlaying(bool* playing) override
    {
        if (!playing) return AUDIO_ERR_INVALID_PARAM;
        *playing = m_sound && Mix_Playing(m_index) != 0;
        return AUDIO_OK;
    }
    AudioResult Stop() override
    {
        if (m_sound) Mix_HaltChannel(m_index);
        return AUDIO_OK;
    }
    int GetIndex() const override { return m_index; }

    // Plays the sound from its start with the channel's loop mode.
    bool Start(MixerSound* sound)
    {
        m_sound = sound;
        Apply();
        return Mix_PlayChannel(m_index, sound->Chunk(), Loops(m_mode) ? -1 : 0) == m_index;
    }
    void Play(MixerSound* sound)
    {
        m_mode = sound->Mode();
        Start(sound);
    }

    bool reserved = false;

private:
    void Apply()
    {
        int level = m_mute ? 0 : static_cast<int>(std::lround(ClampAudioVolume(m_volume) * MIX_MAX_VOLUME));
        Mix_Volume(m_index, level);
    }

    int m_index;
    float m_volume = 1.0f;
    bool m_mute = false;
    AudioMode m_mode = AUDIO_LOOP_OFF;
    MixerSound* m_sound = nullptr;  // last sound started here
};

class MixerGroup : public AudioChannelGroup
{
public:
    explicit MixerGroup(MixerSystem* owner) : m_owner(owner) {}
    AudioResult Stop() override;

private:
    MixerSystem* m_owner;
};

class MixerSystem : public AudioSystem
{
public:
    MixerSystem() : m_master(this) {}
    ~MixerSystem() override { Close(); }

    AudioResult Init(int maxChannels, unsigned, void*) override
    {
        if (m_open || s_open) return AUDIO_ERR_INITIALIZED;
        if (maxChannels < 1) return AUDIO_ERR_INVALID_PARAM;

        // MP3 support is loaded on demand by the mixer; without it MP3 files
        // fail to load one by one, which the caller reports.
        Mix_Init(MIX_INIT_MP3);
        if (!OpenOutput()) {
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, MIXER_FALLBACK_DRIVER, SDL_HINT_OVERRIDE);
            bool opened = OpenOutput();
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
            if (!opened) {
                Mix_Quit();
                return AUDIO_ERR_OUTPUT;
            }
            m_fallback = true;
        }
        int frequency = 0, channels = 0;
        Uint16 format = 0;
        Mix_QuerySpec(&frequency, &format, &channels);
        m_bytesPerSecond = static_cast<unsigned>(frequency) * static_cast<unsigned>(channels) *
                           (SDL_AUDIO_BITSIZE(format) / 8u);
        m_channelCount = Mix_AllocateChannels(maxChannels);
        m_channels.resize(static_cast<size_t>(m_channelCount));
        m_open = true;
        s_open = this;
        return AUDIO_OK;
    }

    AudioResult SetSpeakerMode(int speakerMode) override
    {
        if (speakerMode != AUDIO_SPEAKERMODE_MONO && speakerMode != AUDIO_SPEAKERMODE_STEREO)
            return AUDIO_ERR_INVALID_PARAM;
        if (m_open) return speakerMode == m_speakerMode ? AUDIO_OK : AUDIO_ERR_INITIALIZED;
        m_speakerMode = speakerMode;
        return AUDIO_OK;
    }

    AudioResult GetChannel(int index, AudioChannel** channel) override
    {
        if (!channel) return AUDIO_ERR_INVALID_PARAM;
        if (!m_open) return AUDIO_ERR_UNINITIALIZED;
        if (index < 0 || index >= m_channelCount) return AUDIO_ERR_INVALID_PARAM;
        MixerChannel* slot = Slot(index);
        if (!slot) return AUDIO_ERR_MEMORY;
        slot->reserved = true;
        *channel = slot;
        return AUDIO_OK;
    }

    // The mixer runs on SDL's audio thread; nothing is due per frame.
    AudioResult Update() override { return m_open ? AUDIO_OK : AUDIO_ERR_UNINITIALIZED; }

    AudioResult GetMasterChannelGroup(AudioChannelGroup** group) override
    {
        if (!group) return AUDIO_ERR_INVALID_PARAM;
        *group = &m_master;
        return AUDIO_OK;
    }

    AudioResult CreateStream(const std::string& path, AudioMode mode, AudioSound** sound) override
    {
        return Load(path, mode, sound);
    }
    AudioResult CreateSound(const std::string& path, AudioMode mode, AudioSound** sound) override
    {
        return Load(path, mode, sound);
    }

    AudioResult PlaySound(int channelChoice, AudioSound* sound, AudioChannel** channel) override
    {
        if (!channel) return AUDIO_ERR_INVALID_PARAM;
        if (!m_open) return AUDIO_ERR_UNINITIALIZED;
        MixerSound* own = Own(sound);
        if (!own) return AUDIO_ERR_INVALID_PARAM;

        MixerChannel* target = nullptr;
        if (channelChoice == AUDIO_CHANNEL_REUSE && *channel) {
            target = Own(*channel);
            if (!target) return AUDIO_ERR_INVALID_PARAM;
        } else if (channelChoice == AUDIO_CHANNEL_REUSE || channelChoice == AUDIO_CHANNEL_FREE) {
            target = FindFree();
            if (!target) return AUDIO_ERR_CHANNEL_ALLOC;
        } else if (channelChoice >= 0 && channelChoice < m_channelCount) {
            target = Slot(channelChoice);
            if (!target) return AUDIO_ERR_MEMORY;
        } else {
            return AUDIO_ERR_INVALID_PARAM;
        }
        target->Play(own);
        *channel = target;
        return AUDIO_OK;
    }

    AudioResult Release() override
    {
        delete this;
        return AUDIO_OK;
    }

    bool UsesFallbackOutput() const override { return m_fallback; }

    void StopAll()
    {
        if (m_open) Mix_HaltChannel(-1);
    }

private:
    bool OpenOutput()
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        if (Mix_OpenAudio(MIXER_FREQUENCY, AUDIO_S16SYS, m_speakerMode, MIXER_CHUNK_SIZE) != 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        return true;
    }

    AudioResult Load(const std::string& path, AudioMode mode, AudioSound** sound)
    {
        if (!sound) return AUDIO_ERR_INVALID_PARAM;
        if (!m_open) return AUDIO_ERR_UNINITIALIZED;
        SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
        if (!file) return AUDIO_ERR_FILE_NOT_FOUND;
        Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 1);
        if (!chunk) return AUDIO_ERR_FORMAT;
        std::unique_ptr<MixerSound> made(new (std::nothrow) MixerSound(chunk, mode, m_bytesPerSecond));
        if (!made) {
            Mix_FreeChunk(chunk);
            return AUDIO_ERR_MEMORY;
        }
        *sound = made.get();
        m_sounds.push_back(std::move(made));
        return AUDIO_OK;
    }

    MixerChannel* Slot(int index)
    {
        std::unique_ptr<MixerChannel>& slot = m_channels[static_cast<size_t>(index)];
        if (!slot) slot.reset(new (std::nothrow) MixerChannel(index));
        return slot.get();
    }

    // The highest idle channel nobody reserved.
    MixerChannel* FindFree()
    {
        for (int i = m_channelCount - 1; i >= 0; --i) {
            const std::unique_ptr<MixerChannel>& slot = m_channels[static_cast<size_t>(i)];
            if (slot && slot->reserved) continue;
            if (Mix_Playing(i)) continue;
            return Slot(i);
        }
        return nullptr;
    }

    MixerSound* Own(AudioSound* sound) const
    {
        for (const std::unique_ptr<MixerSound>& s : m_sounds)
            if (s.get() == sound) return s.get();
        return nullptr;
    }
    MixerChannel* Own(AudioChannel* channel) const
    {
        int index = channel->GetIndex();
        if (index < 0 || index >= m_channelCount) return nullptr;
        MixerChannel* slot = m_channels[static_cast<size_t>(index)].get();
        return slot == channel ? slot : nullptr;
    }

    void Close()
    {
        if (!m_open) return;
        Mix_HaltChannel(-1);
        m_channels.clear();
        m_sounds.clear();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_open = false;
        s_open = nullptr;
    }

    static MixerSystem* s_open;  // the system that holds the mixer

    bool m_open = false;
    bool m_fallback = false;
    int m_speakerMode = AUDIO_SPEAKERMODE_STEREO;
    int m_channelCount = 0;
    unsigned m_bytesPerSecond = 0;
    std::vector<std::unique_ptr<MixerChannel>> m_channels;  // made on first use
    std::vector<std::unique_ptr<MixerSound>> m_sounds;
    MixerGroup m_master;
};

MixerSystem* MixerSystem::s_open = nullptr;

AudioResult MixerGroup::Stop()
{
    m_owner->StopAll();
    return AUDIO_OK;
}

} // namespace

AudioResult CreateMixerAudioSystem(AudioSystem** system)
{
    if (!system) return AUDIO_ERR_INVALID_PARAM;
    *system = new (std::nothrow) MixerSystem();
    return *system ? AUDIO_OK : AUDIO_ERR_MEMORY;
}

} // namespace Platform
} // namespace QRX
