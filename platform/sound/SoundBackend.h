// The quick-play sound calls the game uses (start-up, load-and-play, play, status, halt, volume, unload,
// shutdown, last error) as an interface, with the SDL2_mixer backend and a scriptable fake.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A loaded sample; 0 is none.
using SoundHandle = uint32_t;

// Sample status values the game tests for.
constexpr int kSoundStatusDone = 1;
constexpr int kSoundStatusPlaying = 3;

class ISoundBackend {
public:
    virtual ~ISoundBackend() = default;
    // Opens audio output; false on failure (LastError says why).
    virtual bool Startup(int rate, int bits, int channels) = 0;
    virtual std::string LastError() const = 0;
    // Loads a wave file and plays it on logical channel `channel` (0 up). Loop count 0 plays endlessly,
    // 1 once. Returns 0 when the file cannot be loaded or played. A new sample plays at full volume.
    virtual SoundHandle LoadAndPlay(const std::string& path, int loopCount, int channel) = 0;
    // Restarts a loaded sample from its beginning.
    virtual void Play(SoundHandle sample, int loopCount) = 0;
    // kSoundStatusPlaying while it plays, kSoundStatusDone otherwise.
    virtual int Status(SoundHandle sample) = 0;
    virtual void Halt(SoundHandle sample) = 0;
    // Volume 0.0 to 1.0.
    virtual void SetVolume(SoundHandle sample, float volume) = 0;
    virtual void Unload(SoundHandle sample) = 0;
    virtual void Shutdown() = 0;
};

// The real backend: SDL2_mixer, one logical channel per mixer channel. Builds nothing until Startup.
std::unique_ptr<ISoundBackend> CreateSdlMixerBackend();

// A backend for tests: records every call, never opens audio; the test decides what fails and what plays.
class FakeSoundBackend : public ISoundBackend {
public:
    struct Sample {
        std::string path;
        int channel = -1;
        int loopCount = 1;
        float volume = 1.0f;
        int status = kSoundStatusPlaying;
        int plays = 1;
        bool loaded = true;
    };

    bool Startup(int rate, int bits, int channels) override;
    std::string LastError() const override { return m_lastError; }
    SoundHandle LoadAndPlay(const std::string& path, int loopCount, int channel) override;
    void Play(SoundHandle sample, int loopCount) override;
    int Status(SoundHandle sample) override;
    void Halt(SoundHandle sample) override;
    void SetVolume(SoundHandle sample, float volume) override;
    void Unload(SoundHandle sample) override;
    void Shutdown() override;

    // What the test controls.
    bool failStartup = false;
    // Paths (or their file names) that do not load.
    std::vector<std::string> missingFiles;

    // What the test reads.
    const Sample* Find(SoundHandle sample) const;
    Sample* Find(SoundHandle sample);
    void FinishAll();
    const std::vector<std::string>& Calls() const { return m_calls; }
    bool IsStarted() const { return m_bStarted; }
    int StartupCount() const { return m_nStartups; }
    int LoadedCount() const;

private:
    std::map<SoundHandle, Sample> m_samples;
    std::vector<std::string> m_calls;
    std::string m_lastError;
    SoundHandle m_next = 1;
    bool m_bStarted = false;
    int m_nStartups = 0;
};

} // namespace platform
