// The SDL2_mixer back end of the audio layer (Audio.h).
//
// Each channel index is one mixer channel. Sounds and streams alike are
// decoded whole into memory when created (the game's music files are short
// loops), so one channel model serves both. Channels reserved by GetChannel
// are handed out from index 0 upwards by the caller, so free-channel plays
// search from the top index downwards and the two never meet in practice.
// The mixer is process-wide: one system can be open at a time. When no audio
// device opens, Init retries with SDL's silent "dummy" driver so the game runs
// on machines without sound (UsesFallbackOutput then answers true).
#pragma once
#include "engine/platform/Audio.h"

namespace QRX {
namespace Platform {

constexpr int MIXER_FREQUENCY = 44100;     // output sample rate, Hz
constexpr int MIXER_CHUNK_SIZE = 1024;     // output buffer, sample frames
constexpr const char* MIXER_FALLBACK_DRIVER = "dummy";

// Creates an unopened SDL2_mixer system; never fails except for memory.
AudioResult CreateMixerAudioSystem(AudioSystem** system);

} // namespace Platform
} // namespace QRX
