#include "engine/platform/Audio.h"

#include <cmath>

#include "engine/platform/MixerAudio.h"

namespace QRX {
namespace Platform {

namespace {
std::function<AudioResult(AudioSystem**)> g_factory;
}

AudioResult CreateAudioSystem(AudioSystem** system)
{
    if (!system) return AUDIO_ERR_INVALID_PARAM;
    *system = nullptr;
    if (g_factory) return g_factory(system);
    return CreateMixerAudioSystem(system);
}

void SetAudioSystemFactory(std::function<AudioResult(AudioSystem**)> factory)
{
    g_factory = std::move(factory);
}

const char* AudioResultText(AudioResult result)
{
    switch (result) {
    case AUDIO_OK: return "no error";
    case AUDIO_ERR_UNINITIALIZED: return "the sound system is not initialised";
    case AUDIO_ERR_INITIALIZED: return "the sound system is already initialised";
    case AUDIO_ERR_OUTPUT: return "no sound output could be opened";
    case AUDIO_ERR_INVALID_PARAM: return "invalid parameter";
    case AUDIO_ERR_FILE_NOT_FOUND: return "file not found";
    case AUDIO_ERR_FORMAT: return "unsupported or corrupt sound file";
    case AUDIO_ERR_CHANNEL_ALLOC: return "no free channel";
    case AUDIO_ERR_MEMORY: return "out of memory";
    }
    return "unknown error";
}

float ClampAudioVolume(float volume)
{
    if (std::isnan(volume) || volume <= 0.0f) return 0.0f;
    if (volume >= 1.0f) return 1.0f;
    return volume;
}

} // namespace Platform
} // namespace QRX
