// The recording sound backend used by tests.
#include "platform/sound/SoundBackend.h"

namespace platform {

bool FakeSoundBackend::Startup(int rate, int bits, int channels)
{
    m_calls.push_back("startup " + std::to_string(rate) + " " + std::to_string(bits) + " " + std::to_string(channels));
    ++m_nStartups;
    if (failStartup) {
        m_lastError = "no audio device";
        return false;
    }
    m_bStarted = true;
    return true;
}

SoundHandle FakeSoundBackend::LoadAndPlay(const std::string& path, int loopCount, int channel)
{
    m_calls.push_back("load " + path);
    for (const std::string& missing : missingFiles) {
        if (path == missing || (path.size() > missing.size() &&
                                path.compare(path.size() - missing.size(), missing.size(), missing) == 0)) {
            m_lastError = "cannot open " + path;
            return 0;
        }
    }
    SoundHandle handle = m_next++;
    m_samples[handle] = Sample{path, channel, loopCount, 1.0f, kSoundStatusPlaying, 1, true};
    return handle;
}

void FakeSoundBackend::Play(SoundHandle sample, int loopCount)
{
    m_calls.push_back("play " + std::to_string(sample));
    if (Sample* s = Find(sample)) {
        s->loopCount = loopCount;
        s->status = kSoundStatusPlaying;
        ++s->plays;
    }
}

int FakeSoundBackend::Status(SoundHandle sample)
{
    const Sample* s = Find(sample);
    return s ? s->status : kSoundStatusDone;
}

void FakeSoundBackend::Halt(SoundHandle sample)
{
    m_calls.push_back("halt " + std::to_string(sample));
    if (Sample* s = Find(sample))
        s->status = kSoundStatusDone;
}

void FakeSoundBackend::SetVolume(SoundHandle sample, float volume)
{
    if (Sample* s = Find(sample))
        s->volume = volume;
}

void FakeSoundBackend::Unload(SoundHandle sample)
{
    m_calls.push_back("unload " + std::to_string(sample));
    if (Sample* s = Find(sample)) {
        s->loaded = false;
        s->status = kSoundStatusDone;
    }
}

void FakeSoundBackend::Shutdown()
{
    m_calls.push_back("shutdown");
    m_bStarted = false;
}

const FakeSoundBackend::Sample* FakeSoundBackend::Find(SoundHandle sample) const
{
    auto it = m_samples.find(sample);
    return it == m_samples.end() || !it->second.loaded ? nullptr : &it->second;
}

FakeSoundBackend::Sample* FakeSoundBackend::Find(SoundHandle sample)
{
    auto it = m_samples.find(sample);
    return it == m_samples.end() || !it->second.loaded ? nullptr : &it->second;
}

void FakeSoundBackend::FinishAll()
{
    for (auto& [handle, s] : m_samples)
        s.status = kSoundStatusDone;
}

int FakeSoundBackend::LoadedCount() const
{
    int n = 0;
    for (const auto& [handle, s] : m_samples)
        n += s.loaded ? 1 : 0;
    return n;
}

} // namespace platform
