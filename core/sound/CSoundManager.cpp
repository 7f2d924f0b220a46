// Sound channels: choosing a channel, replaying finished samples, looping sounds and the on/off switch.
#include "core/sound/CSoundManager.h"

#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

const char g_aszSoundFiles[44][260] = {
    "Click.wav",
    "RollOver.wav",
    "No.wav",
    "Ambulance.wav",
    "Chainsaw.wav",
    "Dozer1.wav",
    "Explosion1.wav",
    "Explosion2.wav",
    "FireTruck.wav",
    "HoseSpray.wav",
    "M16.wav",
    "Police.wav",
    "SingleGunShot1.wav",
    "SingleGunShot2.wav",
    "ToxicSpill.wav",
    "FireLoop.wav",
    "HazardElectrical.wav",
    "HazardGas.wav",
    "HazardWater.wav",
    "RadioSquelch1.wav",
    "RadioSquelch2.wav",
    "EnterVehicle.wav",
    "GiveAid.wav",
    "SearchComplete.wav",
    "DogBark.wav",
    "DefuseBomb.wav",
    "PoliceWhistle.wav",
    "ContainHazard.wav",
    "Follow.wav",
    "Negotiate.wav",
    "IGiveUp.wav",
    "Hangup.wav",
    "JackHammer.wav",
    "Flare.wav",
    "Appointed_O.wav",
    "Appointed_L.wav",
    "Appointed_P.wav",
    "Appointed_F.wav",
    "Appointed_I.wav",
    "CarDriveAway.wav",
    "VanDriveAway.wav",
    "TruckDriveAway.wav",
    "BullDozerDriveAway.wav",
    "PoliceCarDriveAway.wav",
};

CSoundManager::CSoundManager(const char* soundDirectory, platform::ISoundBackend* backend)
    : m_strSoundDirectory(soundDirectory ? soundDirectory : ""), m_pBackend(backend)
{
}

CSoundManager::~CSoundManager()
{
    Shutdown();
}

platform::ISoundBackend* CSoundManager::Backend()
{
    if (!m_pBackend) {
        m_pOwnBackend = platform::CreateSdlMixerBackend();
        m_pBackend = m_pOwnBackend.get();
    }
    return m_pBackend;
}

bool CSoundManager::Startup()
{
    if (m_bStartTried)
        return m_bStarted;
    m_bStartTried = true;
    m_bStarted = Backend()->Startup(44100, 8, 1);
    if (!m_bStarted)
        platform::ShowMessageBox(Backend()->LastError(), "Couldn't open MSS.", platform::MessageIcon::Error);
    return m_bStarted;
}

void CSoundManager::Shutdown()
{
    if (!m_bStarted) {
        m_bStartTried = false;
        return;
    }
    for (Channel& channel : m_aChannels) {
        if (channel.hSample)
            m_pBackend->Unload(channel.hSample);
        channel = Channel{};
    }
    m_pBackend->Shutdown();
    m_bStarted = false;
    m_bStartTried = false;
}

void CSoundManager::FreeChannel(Channel& channel)
{
    if (channel.hSample)
        m_pBackend->Unload(channel.hSample);
    channel = Channel{};
}

int CSoundManager::Play(int sound, float volume, bool loop)
{
    if (sound < 0 || sound >= kSoundCount || !m_bSoundOn)
        return -1;
    if (!Startup())
        return -1;
    platform::ISoundBackend* backend = m_pBackend;
    const int loopCount = loop ? 0 : 1;

    // Replay: a channel that already holds this sound and is not playing.
    for (int i = 0; i < kChannelCount; ++i) {
        Channel& channel = m_aChannels[i];
        if (channel.nSound == sound && channel.hSample &&
            backend->Status(channel.hSample) != platform::kSoundStatusPlaying) {
            backend->Play(channel.hSample, loopCount);
            // Old behaviour: the channel kept its old looping flag, so a looping replay could never be stopped.
            channel.bLooping = loop;
            if (volume > 0)
                backend->SetVolume(channel.hSample, volume);
            return i;
        }
    }

    // A free channel, or a finished one-shot channel.
    for (int i = 0; i < kChannelCount; ++i) {
        Channel& channel = m_aChannels[i];
        bool reusable = channel.nSound == -1 ||
                        (!channel.bLooping && backend->Status(channel.hSample) == platform::kSoundStatusDone);
        if (!reusable)
            continue;
        FreeChannel(channel);
        std::string path = platform::ResolvePathCase(platform::JoinPath(m_strSoundDirectory, g_aszSoundFiles[sound]));
        platform::SoundHandle sample = backend->LoadAndPlay(path, loopCount, i);
        // Old behaviour: a missing file was reported as played and, looping, held its channel forever; it was
        // never told. Now it is told once per sound.
        if (!sample) {
            if (!m_abReported[static_cast<size_t>(sound)])
                platform::ReportUnloadableFile(path, "Sound");
            m_abReported[static_cast<size_t>(sound)] = true;
            return -1;
        }
        channel = Channel{sample, sound, loop};
        if (volume > 0)
            backend->SetVolume(sample, volume);
        return i;
    }
    return -1;
}

void CSoundManager::StopLoop(int channel)
{
    // Old behaviour: only -1 and 30 up were refused; other negative numbers indexed before the table.
    if (channel < 0 || channel >= kChannelCount)
        return;
    Channel& c = m_aChannels[channel];
    if (c.nSound == -1 || !c.hSample || !c.bLooping)
        return;
    FreeChannel(c);
}

void CSoundManager::EnableSound(bool on)
{
    m_bSoundOn = on;
    if (!m_bStarted)
        return;
    for (Channel& channel : m_aChannels) {
        if (!channel.bLooping || !channel.hSample)
            continue;
        int status = m_pBackend->Status(channel.hSample);
        if (on && status == platform::kSoundStatusDone)
            m_pBackend->Play(channel.hSample, 0);
        else if (!on && status == platform::kSoundStatusPlaying)
            m_pBackend->Halt(channel.hSample);
    }
}

CSoundManager& GetSoundManager()
{
    static CSoundManager manager("Sounds");
    return manager;
}
