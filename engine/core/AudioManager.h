// The audio manager: one looping music stream and any number of short effects,
// loaded and played by file name from "data/sounds/".
//
// Rules:
// - Every loaded effect owns one channel, so starting it again restarts it
//   instead of overlapping. The music plays on the music channel, taken at the
//   end of Init; channels are numbered by a counter in the order they are taken
//   (music 0, then the effects in load order).
// - "Music off" fades the music out by MUSIC_FADE_STEP a frame and mutes it;
//   clearing it fades back in to the restore volume, unmuting only there.
//   "Effects off" starts no effect; effects already playing finish.
// - Losing the window focus switches off only what was on, and regaining it
//   switches back on only what the focus loss switched off.
// - Names never loaded are ignored by every play and by IsPlaying (false).
// - Only Shutdown releases the sound system (the shut-down runs it before
//   deleting the manager); the destructor leaves it alone.
// The data members are public: the window, the menus, the tweak panels and the
// level states read and set them directly.
#pragma once
#include <map>
#include <string>

#include <glm/vec3.hpp>

#include "engine/platform/Audio.h"

namespace QRX {

class AudioManager
{
public:
    static constexpr const char* SOUND_FOLDER = "data/sounds/";
    static constexpr int MAX_CHANNELS = 1024;
    static constexpr float MUSIC_FADE_STEP = 0.05f;     // volume change per frame
    static constexpr float DEFAULT_MUSIC_VOLUME = 0.75f;
    static constexpr float FULL_VOLUME_DISTANCE = 3.5f; // PlaySoundAt: full effect volume below
    static constexpr float MAX_HEARING_DISTANCE = 10.0f;// PlaySoundAt: nothing beyond

    // Music and effect volume 1.0; no sound system until Init.
    AudioManager() = default;
    // Frees both maps; the sound system stays for Shutdown to release.
    ~AudioManager() = default;
    AudioManager(const AudioManager&) = delete;
    AudioManager& operator=(const AudioManager&) = delete;

    // Creates and opens the sound system with MAX_CHANNELS channels, sets the
    // defaults (music 0.75, effects 1.0, nothing off) and takes the music
    // channel. False when the system cannot be created or opened (logged).
    bool Init();
    // Once a frame: updates the system and runs one step of the music fade.
    void Update();
    // Stops every channel, music included.
    void StopAll();
    // All sound stops, then the sound system is released (none is left).
    void Shutdown();

    // Loads "data/sounds/" + name as the music stream of that name, once.
    // A file that cannot be loaded is logged and not stored.
    void LoadStream(const std::string& name);
    // Loads an effect once and gives it its own channel. A file that cannot
    // be loaded is logged and gets no channel.
    void LoadSound(const std::string& name);

    // Plays a loaded stream on the music channel, looping, at the music
    // volume, and remembers its name. Unknown names do nothing.
    void PlayStream(const std::string& name);
    // Unless effects are off, (re)starts a loaded effect once on its own
    // channel at the effect volume. Unknown names do nothing.
    void PlaySound(const std::string& name);
    // As PlaySound, attenuated by the distance d between source and listener:
    // the effect volume when d < 3.5, (1 - (d - 3) / 7) * 0.7 up to 10, nothing
    // beyond 10 (or when a position is not a number).
    void PlaySoundAt(const std::string& name, const glm::vec3& source, const glm::vec3& listener);

    // Sets the effect volume and applies it to every effect channel.
    void SetSoundVolume(float volume);
    // Whether the effect of that name is playing; false for unknown names.
    bool IsPlaying(const std::string& name);
    // The channel of a loaded effect, or null (for callers that stop it).
    Platform::AudioChannel* GetChannel(const std::string& name) const;

    // Sets the music volume and applies it to the music channel at once
    // (the options slider and the sound panel).
    void SetMusicVolume(float volume);
    // Switches the music off (starting the fade-out) or on (fade-in).
    // Switching off saves the music volume as the restore volume, except while
    // the music is still fading in: the volume it is reaching stays the goal.
    void SetMusicOff(bool off);
    // The window lost the focus: switches off music and effects that are on,
    // noting which it switched.
    void MuteForFocusLoss();
    // The window regained the focus: switches back on only what
    // MuteForFocusLoss switched off.
    void RestoreAfterFocusGain();

    bool m_EffectsMutedByDeactivation = false;
    bool m_MusicMutedByDeactivation = false;
    Platform::AudioSystem* m_System = nullptr;
    Platform::AudioChannel* m_MusicChannel = nullptr;
    std::map<std::string, Platform::AudioChannel*> m_Channels;  // effect name -> its own channel
    bool m_MusicOff = false;
    bool m_EffectsOff = false;
    float m_MusicRestoreVolume = 1.0f;  // the volume a fade-in climbs back to
    float m_MusicVolume = 1.0f;
    std::string m_MusicName;            // the stream last started
    float m_EffectVolume = 1.0f;
    std::map<std::string, Platform::AudioSound*> m_Sounds;  // streams and effects alike
    unsigned m_ChannelCounter = 0;      // the next channel index to take

private:
    Platform::AudioChannel* TakeChannel();
    void StartEffect(const std::string& name, float volume);
    bool MusicFadingIn() const;
};

} // namespace QRX
