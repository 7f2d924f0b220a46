// The game's sound player: 44 numbered wave files on 30 channels, one-shot or looping, with an on/off switch.
#pragma once

#include "platform/sound/SoundBackend.h"

#include <array>
#include <memory>
#include <string>

// The sound files by number.
extern const char g_aszSoundFiles[44][260];

class CSoundManager {
public:
    static constexpr int kChannelCount = 30;
    static constexpr int kSoundCount = 44;

    struct Channel {
        platform::SoundHandle hSample = 0;
        int nSound = -1;
        bool bLooping = false;
    };

    // Opens no audio: that happens in Startup, called by the game's entry or by the first Play.
    // A null backend means SDL2_mixer, made at Startup. The backend is not owned.
    explicit CSoundManager(const char* soundDirectory, platform::ISoundBackend* backend = nullptr);
    ~CSoundManager();
    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;

    // Opens audio once (44100 Hz, 8 bits, 1 channel); a failure shows the backend's error in a box titled
    // "Couldn't open MSS." and every later Play gives -1. Returns whether audio is open.
    bool Startup();
    // Unloads every sample and closes audio; Startup may open it again.
    void Shutdown();

    // Plays sound `sound` (0 to 43) at `volume` (above 0 sets it), looping endlessly or once.
    // Returns the channel used (0 to 29) or -1.
    int Play(int sound, float volume, bool loop);
    // Stops and frees a looping channel.
    void StopLoop(int channel);
    // Switches all sound on or off: off halts the looping channels, on restarts them.
    void EnableSound(bool on);
    bool IsSoundEnabled() const { return m_bSoundOn; }

    const Channel& GetChannel(int channel) const { return m_aChannels[channel]; }
    const std::string& GetSoundDirectory() const { return m_strSoundDirectory; }

private:
    platform::ISoundBackend* Backend();
    void FreeChannel(Channel& channel);

    bool m_bSoundOn = true;
    Channel m_aChannels[kChannelCount];
    std::string m_strSoundDirectory;
    std::array<bool, kSoundCount> m_abReported{}; // a sound file that would not load has been told
    platform::ISoundBackend* m_pBackend;
    std::unique_ptr<platform::ISoundBackend> m_pOwnBackend;
    bool m_bStartTried = false;
    bool m_bStarted = false;
};

// The process-wide player for the "Sounds" folder (relative to the current folder). Built on first call;
// it opens audio only when something plays or the game calls Startup.
CSoundManager& GetSoundManager();
