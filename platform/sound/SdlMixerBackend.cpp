// SDL2_mixer sound backend: each logical channel is the mixer channel of the same number.
#include "platform/sound/SoundBackend.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

namespace platform {
namespace {

class SdlMixerBackend : public ISoundBackend {
public:
    ~SdlMixerBackend() override { Shutdown(); }

    bool Startup(int rate, int bits, int channels) override
    {
        if (m_bOpen)
            return true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            m_lastError = SDL_GetError();
            return false;
        }
        Uint16 format = bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
        if (Mix_OpenAudio(rate, format, std::clamp(channels, 1, 2), 1024) != 0) {
            m_lastError = Mix_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        m_bOpen = true;
        m_nChannels = Mix_AllocateChannels(kMixerChannels);
        return true;
    }

    std::string LastError() const override { return m_lastError; }

    SoundHandle LoadAndPlay(const std::string& path, int loopCount, int channel) override
    {
        if (!m_bOpen) {
            m_lastError = "audio is not open";
            return 0;
        }
        if (channel < 0 || channel >= m_nChannels) {
            m_lastError = "no such channel";
            return 0;
        }
        Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
        if (!chunk) {
            m_lastError = Mix_GetError();
            return 0;
        }
        // Volume belongs to the mixer channel: a new sample starts at full volume.
        Mix_Volume(channel, MIX_MAX_VOLUME);
        if (Mix_PlayChannel(channel, chunk, Loops(loopCount)) < 0) {
            m_lastError = Mix_GetError();
            Mix_FreeChunk(chunk);
            return 0;
        }
        SoundHandle handle = m_next++;
        m_samples[handle] = Sample{chunk, channel};
        return handle;
    }

    void Play(SoundHandle sample, int loopCount) override
    {
        if (Sample* s = Find(sample))
            Mix_PlayChannel(s->channel, s->chunk, Loops(loopCount));
    }

    int Status(SoundHandle sample) override
    {
        Sample* s = Find(sample);
        if (s && Mix_Playing(s->channel) && Mix_GetChunk(s->channel) == s->chunk)
            return kSoundStatusPlaying;
        return kSoundStatusDone;
    }

    void Halt(SoundHandle sample) override
    {
        if (Status(sample) == kSoundStatusPlaying)
            Mix_HaltChannel(Find(sample)->channel);
    }

    void SetVolume(SoundHandle sample, float volume) override
    {
        if (Sample* s = Find(sample))
            Mix_Volume(s->channel, static_cast<int>(std::clamp(volume, 0.0f, 1.0f) * MIX_MAX_VOLUME + 0.5f));
    }

    void Unload(SoundHandle sample) override
    {
        auto it = m_samples.find(sample);
        if (it == m_samples.end())
            return;
        Halt(sample);
        Mix_FreeChunk(it->second.chunk);
        m_samples.erase(it);
    }

    void Shutdown() override
    {
        if (!m_bOpen)
            return;
        Mix_HaltChannel(-1);
        for (auto& [handle, s] : m_samples)
            Mix_FreeChunk(s.chunk);
        m_samples.clear();
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_bOpen = false;
    }

private:
    static constexpr int kMixerChannels = 32;
    struct Sample {
        Mix_Chunk* chunk = nullptr;
        int channel = -1;
    };

    // Quick-play loop count (0 endless, n plays) to SDL_mixer's extra repeats (-1 endless).
    static int Loops(int loopCount) { return loopCount <= 0 ? -1 : loopCount - 1; }

    Sample* Find(SoundHandle sample)
    {
        auto it = m_samples.find(sample);
        return it == m_samples.end() ? nullptr : &it->second;
    }

    std::map<SoundHandle, Sample> m_samples;
    std::string m_lastError;
    SoundHandle m_next = 1;
    bool m_bOpen = false;
    int m_nChannels = 0;
};

} // namespace

std::unique_ptr<ISoundBackend> CreateSdlMixerBackend()
{
    return std::make_unique<SdlMixerBackend>();
}

} // namespace platform
