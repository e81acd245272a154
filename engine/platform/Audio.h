// The audio layer: a sound system with numbered channels, sounds and one master
// channel group.
//
// The audio manager talks only to these interfaces. The real back end mixes
// through SDL2_mixer (MixerAudio.h); tests install a recording fake through
// SetAudioSystemFactory. Rules every back end keeps:
// - Every call returns an AudioResult; AUDIO_OK (0) is success.
// - The system owns every sound and channel it hands out; Release frees them
//   all together with the system, so the pointers die with it.
// - Channels are numbered 0 .. maxChannels-1. GetChannel reserves its index
//   for the caller; a play on AUDIO_CHANNEL_FREE never takes a reserved
//   channel, nor one that is playing.
// - Calls on a channel that plays nothing are harmless: volume, mute and mode
//   are stored for the next play, IsPlaying answers false, Stop does nothing.
// - A channel keeps its volume and mute across plays; its mode is taken from
//   the sound at each play. Mute silences a channel without touching its
//   stored volume. Volumes are applied clamped to
//   [0, 1]; a volume that is not a number counts as 0.
#pragma once
#include <functional>
#include <string>

namespace QRX {
namespace Platform {

enum AudioResult {
    AUDIO_OK = 0,
    AUDIO_ERR_UNINITIALIZED,  // the call needs Init first
    AUDIO_ERR_INITIALIZED,    // the call is only allowed before Init
    AUDIO_ERR_OUTPUT,         // no output device could be opened
    AUDIO_ERR_INVALID_PARAM,  // null pointer, bad index or a channel of another system
    AUDIO_ERR_FILE_NOT_FOUND,
    AUDIO_ERR_FORMAT,         // the file exists but cannot be decoded
    AUDIO_ERR_CHANNEL_ALLOC,  // no free channel for a free-channel play
    AUDIO_ERR_MEMORY
};

// Mode bits of sounds and channels.
typedef unsigned AudioMode;
constexpr AudioMode AUDIO_MODE_DEFAULT = 0x00;  // plays once
constexpr AudioMode AUDIO_LOOP_OFF = 0x01;
constexpr AudioMode AUDIO_LOOP_NORMAL = 0x02;
constexpr AudioMode AUDIO_MODE_3D = 0x10;       // accepted; sounds play unpositioned

// Init flags: accepted for the callers' sake, no behaviour of their own.
constexpr unsigned AUDIO_INIT_NORMAL = 0x00;
constexpr unsigned AUDIO_INIT_3D_RIGHTHANDED = 0x02;

// Speaker modes (output channel counts).
constexpr int AUDIO_SPEAKERMODE_MONO = 1;
constexpr int AUDIO_SPEAKERMODE_STEREO = 2;

// Channel choices of AudioSystem::PlaySound besides a plain index.
constexpr int AUDIO_CHANNEL_FREE = -1;   // any idle channel nobody reserved
constexpr int AUDIO_CHANNEL_REUSE = -2;  // the channel passed in (free when none)

class AudioSound
{
public:
    virtual ~AudioSound() = default;
    // Length of one pass in milliseconds.
    virtual AudioResult GetLength(unsigned* milliseconds) = 0;
};

class AudioChannel
{
public:
    virtual ~AudioChannel() = default;
    // Stores the volume and applies it (clamped to [0, 1]) unless muted.
    virtual AudioResult SetVolume(float volume) = 0;
    virtual AudioResult GetVolume(float* volume) = 0;
    virtual AudioResult GetMute(bool* mute) = 0;
    // Mute silences the channel; the stored volume comes back on unmute.
    virtual AudioResult SetMute(bool mute) = 0;
    // Takes the loop bits; a change on a playing channel restarts its sound
    // with the new looping.
    virtual AudioResult SetMode(AudioMode mode) = 0;
    virtual AudioResult GetMode(AudioMode* mode) = 0;
    // False for a channel that never played or whose sound ended or stopped.
    virtual AudioResult IsPlaying(bool* playing) = 0;
    virtual AudioResult Stop() = 0;
    virtual int GetIndex() const = 0;
};

class AudioChannelGroup
{
public:
    virtual ~AudioChannelGroup() = default;
    // Stops every channel of the group.
    virtual AudioResult Stop() = 0;
};

class AudioSystem
{
public:
    virtual ~AudioSystem() = default;
    // Opens the output with maxChannels channels (1 or more). Flags and
    // extra driver data are accepted as given.
    virtual AudioResult Init(int maxChannels, unsigned flags, void* extraDriverData) = 0;
    // Before Init: the output's channel count. After Init it cannot change:
    // AUDIO_ERR_INITIALIZED unless the mode is the one already open.
    virtual AudioResult SetSpeakerMode(int speakerMode) = 0;
    // The channel object of an index, reserved from now on.
    virtual AudioResult GetChannel(int index, AudioChannel** channel) = 0;
    // Once a frame.
    virtual AudioResult Update() = 0;
    virtual AudioResult GetMasterChannelGroup(AudioChannelGroup** group) = 0;
    // Both decode the whole file ("data/sounds/x.mp3", WAV or MP3) at once.
    virtual AudioResult CreateStream(const std::string& path, AudioMode mode, AudioSound** sound) = 0;
    virtual AudioResult CreateSound(const std::string& path, AudioMode mode, AudioSound** sound) = 0;
    // Starts the sound from its beginning, unpaused, taking the sound's loop
    // bits as the channel's mode. channelChoice is an index, AUDIO_CHANNEL_FREE
    // or AUDIO_CHANNEL_REUSE (restart on *channel). *channel receives the
    // channel that plays; on failure it is left as it was.
    virtual AudioResult PlaySound(int channelChoice, AudioSound* sound, AudioChannel** channel) = 0;
    // Stops all sound, frees every sound and channel, closes the output and
    // deletes the system itself.
    virtual AudioResult Release() = 0;
    // True when no real device opened and sound goes to the silent fallback.
    virtual bool UsesFallbackOutput() const = 0;
};

// Creates an unopened system of the installed back end (SDL2_mixer unless a
// test installed another). *system is null on failure.
AudioResult CreateAudioSystem(AudioSystem** system);

// Replaces the back end made by CreateAudioSystem (tests); an empty function
// restores SDL2_mixer.
void SetAudioSystemFactory(std::function<AudioResult(AudioSystem**)> factory);

// A short English description of a result, for log lines.
const char* AudioResultText(AudioResult result);

// Applies the layer's clamp: [0, 1], not-a-number counts as 0.
float ClampAudioVolume(float volume);

} // namespace Platform
} // namespace QRX
