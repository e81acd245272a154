#include "engine/core/AudioManager.h"

#include <glm/geometric.hpp>

#include "engine/core/Logger.h"

namespace QRX {

using Platform::AudioChannel;
using Platform::AudioResult;
using Platform::AudioSound;

namespace {
constexpr float NEAR_FALLOFF_START = 3.0f;  // distance where the falloff line reaches 1
constexpr float FALLOFF_LENGTH = 7.0f;
constexpr float FAR_VOLUME_SCALE = 0.7f;
} // namespace

bool AudioManager::Init()
{
    AudioResult result = Platform::CreateAudioSystem(&m_System);
    if (result != Platform::AUDIO_OK || !m_System) {
        QRX_LOG_WARNING("Unable to create the sound system: %s", Platform::AudioResultText(result));
        m_System = nullptr;
        return false;
    }
    result = m_System->Init(MAX_CHANNELS, Platform::AUDIO_INIT_3D_RIGHTHANDED, nullptr);
    if (result != Platform::AUDIO_OK) {
        QRX_LOG_WARNING("Unable to open the sound output: %s", Platform::AudioResultText(result));
        return false;
    }
    if (m_System->UsesFallbackOutput())
        QRX_LOG_WARNING("No audio device could be opened; the game runs without sound");
    m_System->SetSpeakerMode(Platform::AUDIO_SPEAKERMODE_STEREO);

    m_EffectVolume = 1.0f;
    m_MusicOff = false;
    m_EffectsOff = false;
    // The music channel is only taken below, so there may be none to apply to.
    SetMusicVolume(DEFAULT_MUSIC_VOLUME);
    SetSoundVolume(1.0f);
    m_MusicChannel = TakeChannel();
    return true;
}

void AudioManager::Update()
{
    if (!m_System) return;
    m_System->Update();
    if (!m_MusicChannel) return;

    bool muted = false;
    m_MusicChannel->GetMute(&muted);
    if (!muted && m_MusicOff) {
        if (m_MusicVolume <= 0.0f) m_MusicChannel->SetMute(true);
        m_MusicVolume -= MUSIC_FADE_STEP;
        m_MusicChannel->SetVolume(m_MusicVolume);
    } else if (muted && !m_MusicOff) {
        m_MusicVolume += MUSIC_FADE_STEP;
        m_MusicChannel->SetVolume(m_MusicVolume);
        if (m_MusicRestoreVolume <= m_MusicVolume) {
            m_MusicVolume = m_MusicRestoreVolume;
            m_MusicChannel->SetVolume(m_MusicVolume);
            m_MusicChannel->SetMute(false);
        }
    }
}

void AudioManager::StopAll()
{
    if (!m_System) return;
    Platform::AudioChannelGroup* master = nullptr;
    m_System->GetMasterChannelGroup(&master);
    if (master) master->Stop();
}

void AudioManager::Shutdown()
{
    StopAll();
    if (!m_System) return;
    m_System->Release();
    m_System = nullptr;
}

void AudioManager::LoadStream(const std::string& name)
{
    if (!m_System || m_Sounds.count(name)) return;
    std::string path = SOUND_FOLDER + name;
    AudioSound* sound = nullptr;
    AudioResult result = m_System->CreateStream(path, Platform::AUDIO_MODE_DEFAULT, &sound);
    if (result != Platform::AUDIO_OK || !sound) {
        QRX_LOG_WARNING("Unable to load music stream %s: %s", path.c_str(), Platform::AudioResultText(result));
        return;
    }
    m_Sounds[name] = sound;
}

void AudioManager::LoadSound(const std::string& name)
{
    if (!m_System || m_Sounds.count(name)) return;
    std::string path = SOUND_FOLDER + name;
    AudioSound* sound = nullptr;
    AudioResult result = m_System->CreateSound(path, Platform::AUDIO_MODE_3D, &sound);
    if (result != Platform::AUDIO_OK || !sound) {
        QRX_LOG_WARNING("Unable to load sound %s: %s", path.c_str(), Platform::AudioResultText(result));
        return;
    }
    m_Sounds[name] = sound;
    if (AudioChannel* channel = TakeChannel()) m_Channels[name] = channel;
}

void AudioManager::PlayStream(const std::string& name)
{
    auto found = m_Sounds.find(name);
    if (!m_System || found == m_Sounds.end()) return;
    m_System->PlaySound(Platform::AUDIO_CHANNEL_REUSE, found->second, &m_MusicChannel);
    if (m_MusicChannel) {
        m_MusicChannel->SetMode(Platform::AUDIO_LOOP_NORMAL);
        m_MusicChannel->SetVolume(m_MusicVolume);
    }
    m_MusicName = name;
}

void AudioManager::PlaySound(const std::string& name)
{
    if (m_EffectsOff) return;
    StartEffect(name, m_EffectVolume);
}

void AudioManager::PlaySoundAt(const std::string& name, const glm::vec3& source, const glm::vec3& listener)
{
    if (m_EffectsOff) return;
    float d = glm::distance(source, listener);
    // Written so that a distance that is not a number plays nothing either.
    if (!(d <= MAX_HEARING_DISTANCE)) return;
    float volume = d < FULL_VOLUME_DISTANCE
        ? m_EffectVolume
        : (1.0f - (d - NEAR_FALLOFF_START) / FALLOFF_LENGTH) * FAR_VOLUME_SCALE;
    StartEffect(name, volume);
}

void AudioManager::SetSoundVolume(float volume)
{
    m_EffectVolume = volume;
    for (auto& entry : m_Channels)
        if (entry.second) entry.second->SetVolume(volume);
}

bool AudioManager::IsPlaying(const std::string& name)
{
    AudioChannel* channel = GetChannel(name);
    if (!channel) return false;
    bool playing = false;
    channel->IsPlaying(&playing);
    return playing;
}

AudioChannel* AudioManager::GetChannel(const std::string& name) const
{
    auto found = m_Channels.find(name);
    return found == m_Channels.end() ? nullptr : found->second;
}

void AudioManager::SetMusicVolume(float volume)
{
    m_MusicVolume = volume;
    if (m_MusicChannel) m_MusicChannel->SetVolume(volume);
}

void AudioManager::SetMusicOff(bool off)
{
    // While the fade-in climbs the volume is only partial (even below 0);
    // saving it would bring the music back silent.
    if (off && !m_MusicOff && !MusicFadingIn()) m_MusicRestoreVolume = m_MusicVolume;
    m_MusicOff = off;
}

void AudioManager::MuteForFocusLoss()
{
    if (!m_MusicOff) {
        SetMusicOff(true);
        m_MusicMutedByDeactivation = true;
    }
    if (!m_EffectsOff) {
        m_EffectsOff = true;
        m_EffectsMutedByDeactivation = true;
    }
}

void AudioManager::RestoreAfterFocusGain()
{
    if (m_MusicMutedByDeactivation) {
        SetMusicOff(false);
        m_MusicMutedByDeactivation = false;
    }
    if (m_EffectsMutedByDeactivation) {
        m_EffectsOff = false;
        m_EffectsMutedByDeactivation = false;
    }
}

AudioChannel* AudioManager::TakeChannel()
{
    AudioChannel* channel = nullptr;
    int index = static_cast<int>(m_ChannelCounter++);
    if (m_System->GetChannel(index, &channel) != Platform::AUDIO_OK) return nullptr;
    return channel;
}

void AudioManager::StartEffect(const std::string& name, float volume)
{
    auto sound = m_Sounds.find(name);
    auto channel = m_Channels.find(name);
    if (!m_System || sound == m_Sounds.end() || channel == m_Channels.end() || !channel->second) return;
    m_System->PlaySound(Platform::AUDIO_CHANNEL_REUSE, sound->second, &channel->second);
    channel->second->SetMode(Platform::AUDIO_LOOP_OFF);
    channel->second->SetVolume(volume);
}

bool AudioManager::MusicFadingIn() const
{
    bool muted = false;
    if (m_MusicChannel) m_MusicChannel->GetMute(&muted);
    return muted;
}

} // namespace QRX
