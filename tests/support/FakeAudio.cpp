#include "support/FakeAudio.h"

#include <cstdio>

namespace QRX {
namespace TestSupport {

using namespace Platform;

namespace {
std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}
} // namespace

AudioResult FakeAudioSound::GetLength(unsigned* milliseconds)
{
    if (!milliseconds) return AUDIO_ERR_INVALID_PARAM;
    *milliseconds = 500;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::SetVolume(float value)
{
    m_owner->Record("SetVolume " + std::to_string(m_index) + " " + Number(value));
    volume = value;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::GetVolume(float* value)
{
    if (!value) return AUDIO_ERR_INVALID_PARAM;
    *value = volume;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::GetMute(bool* value)
{
    if (!value) return AUDIO_ERR_INVALID_PARAM;
    *value = mute;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::SetMute(bool value)
{
    m_owner->Record("SetMute " + std::to_string(m_index) + (value ? " on" : " off"));
    mute = value;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::SetMode(AudioMode value)
{
    m_owner->Record("SetMode " + std::to_string(m_index) + " " + std::to_string(value));
    mode = value;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::GetMode(AudioMode* value)
{
    if (!value) return AUDIO_ERR_INVALID_PARAM;
    *value = mode;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::IsPlaying(bool* value)
{
    if (!value) return AUDIO_ERR_INVALID_PARAM;
    *value = playing;
    return AUDIO_OK;
}

AudioResult FakeAudioChannel::Stop()
{
    m_owner->Record("Stop " + std::to_string(m_index));
    playing = false;
    return AUDIO_OK;
}

AudioResult FakeAudioGroup::Stop()
{
    m_owner->Record("MasterStop");
    for (auto& entry : m_owner->channels) entry.second->playing = false;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::Init(int max, unsigned flags, void*)
{
    Record("Init " + std::to_string(max) + " " + std::to_string(flags));
    if (failInit) return AUDIO_ERR_OUTPUT;
    maxChannels = max;
    initFlags = flags;
    initialised = true;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::SetSpeakerMode(int mode)
{
    Record("SetSpeakerMode " + std::to_string(mode));
    speakerMode = mode;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::GetChannel(int index, AudioChannel** channel)
{
    Record("GetChannel " + std::to_string(index));
    if (!channel) return AUDIO_ERR_INVALID_PARAM;
    if (!initialised) return AUDIO_ERR_UNINITIALIZED;
    if (index < 0 || index >= maxChannels) return AUDIO_ERR_INVALID_PARAM;
    FakeAudioChannel* slot = Slot(index);
    slot->reserved = true;
    *channel = slot;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::Update()
{
    ++updates;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::GetMasterChannelGroup(AudioChannelGroup** group)
{
    if (!group) return AUDIO_ERR_INVALID_PARAM;
    *group = &m_master;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::CreateStream(const std::string& path, AudioMode mode, AudioSound** sound)
{
    return Load(path, mode, true, sound);
}

AudioResult FakeAudioSystem::CreateSound(const std::string& path, AudioMode mode, AudioSound** sound)
{
    return Load(path, mode, false, sound);
}

AudioResult FakeAudioSystem::PlaySound(int choice, AudioSound* sound, AudioChannel** channel)
{
    if (!channel || !sound) return AUDIO_ERR_INVALID_PARAM;
    auto* own = static_cast<FakeAudioSound*>(sound);
    FakeAudioChannel* target = nullptr;
    std::string how;
    if (choice == AUDIO_CHANNEL_REUSE && *channel) {
        target = static_cast<FakeAudioChannel*>(*channel);
        how = "reuse";
    } else if (choice == AUDIO_CHANNEL_REUSE || choice == AUDIO_CHANNEL_FREE) {
        for (int i = maxChannels - 1; i >= 0 && !target; --i) {
            FakeAudioChannel* c = Channel(i);
            if (!c || (!c->reserved && !c->playing)) target = Slot(i);
        }
        how = "free";
    } else if (choice >= 0 && choice < maxChannels) {
        target = Slot(choice);
        how = "index";
    }
    if (!target) return AUDIO_ERR_CHANNEL_ALLOC;
    Record("PlaySound " + how + " " + std::to_string(target->GetIndex()) + " " + own->path);
    target->sound = own;
    target->mode = own->mode;
    target->playing = true;
    target->starts += 1;
    *channel = target;
    return AUDIO_OK;
}

AudioResult FakeAudioSystem::Release()
{
    Record("Release");
    for (auto& entry : channels) entry.second->playing = false;
    released = true;
    return AUDIO_OK;
}

FakeAudioChannel* FakeAudioSystem::Channel(int index) const
{
    auto found = channels.find(index);
    return found == channels.end() ? nullptr : found->second.get();
}

bool FakeAudioSystem::Called(const std::string& line) const
{
    for (const std::string& call : calls)
        if (call == line) return true;
    return false;
}

int FakeAudioSystem::CountCalls(const std::string& prefix) const
{
    int count = 0;
    for (const std::string& call : calls)
        if (call.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

int FakeAudioSystem::CountPlays(const std::string& name) const
{
    const std::string ending = "/" + name;
    int count = 0;
    for (const std::string& call : calls)
        if (call.compare(0, 10, "PlaySound ") == 0 && call.size() >= ending.size() &&
            call.compare(call.size() - ending.size(), ending.size(), ending) == 0)
            ++count;
    return count;
}

AudioResult FakeAudioSystem::Load(const std::string& path, AudioMode mode, bool stream, AudioSound** sound)
{
    Record((stream ? "CreateStream " : "CreateSound ") + path + " " + std::to_string(mode));
    if (!sound) return AUDIO_ERR_INVALID_PARAM;
    if (unreadable.count(path)) return AUDIO_ERR_FILE_NOT_FOUND;
    auto made = std::make_unique<FakeAudioSound>();
    made->path = path;
    made->mode = mode;
    made->stream = stream;
    *sound = made.get();
    sounds.push_back(std::move(made));
    return AUDIO_OK;
}

FakeAudioChannel* FakeAudioSystem::Slot(int index)
{
    std::unique_ptr<FakeAudioChannel>& slot = channels[index];
    if (!slot) slot = std::make_unique<FakeAudioChannel>(this, index);
    return slot.get();
}

ScopedFakeAudio::ScopedFakeAudio()
{
    SetAudioSystemFactory([this](AudioSystem** system) {
        if (failCreate) return AUDIO_ERR_MEMORY;
        m_made.push_back(std::make_unique<FakeAudioSystem>());
        m_made.back()->failInit = failInit;
        m_made.back()->fallback = fallback;
        *system = m_made.back().get();
        return AUDIO_OK;
    });
}

ScopedFakeAudio::~ScopedFakeAudio()
{
    SetAudioSystemFactory(nullptr);
}

} // namespace TestSupport
} // namespace QRX
