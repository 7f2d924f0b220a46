// The 44 sound effects: short generated tones, sweeps, pulses and filtered noise that fit their names
// (sirens sweep, explosions are decaying noise bursts, loops join seamlessly), 16-bit mono at 22050 Hz.
#include "tools/demo/DemoData.h"
#include "tools/demo/FileWriters.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace demo {

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// A sound under construction: float samples in -1..1.
class Wave {
public:
    explicit Wave(double seconds) : m_s(static_cast<size_t>(seconds * kRate), 0.0) {}
    size_t Size() const { return m_s.size(); }
    double Time(size_t i) const { return static_cast<double>(i) / kRate; }
    double Length() const { return Time(m_s.size()); }

    // Adds a tone whose frequency follows f(t), shaped by the envelope e(t), from `start` for `seconds`.
    void Tone(double start, double seconds, const std::function<double(double)>& f,
              const std::function<double(double)>& e, double gain, bool square = false)
    {
        double phase = 0;
        size_t a = static_cast<size_t>(start * kRate), n = static_cast<size_t>(seconds * kRate);
        for (size_t i = 0; i < n && a + i < m_s.size(); ++i) {
            double t = static_cast<double>(i) / kRate;
            phase += 2 * kPi * f(t) / kRate;
            double v = square ? (std::sin(phase) >= 0 ? 1.0 : -1.0) * 0.6 : std::sin(phase);
            m_s[a + i] += gain * e(t / seconds) * v;
        }
    }
    // Adds noise through a one-pole low-pass (0..1: lower is darker), shaped by the envelope.
    void Noise(double start, double seconds, double lowPass, const std::function<double(double)>& e, double gain,
               uint32_t seed)
    {
        double y = 0;
        size_t a = static_cast<size_t>(start * kRate), n = static_cast<size_t>(seconds * kRate);
        for (size_t i = 0; i < n && a + i < m_s.size(); ++i) {
            double white = (Hash(seed, static_cast<uint32_t>(i)) % 20001) / 10000.0 - 1.0;
            y += lowPass * (white - y);
            m_s[a + i] += gain * e(static_cast<double>(i) / n) * y * (1.0 / std::sqrt(lowPass));
        }
    }
    // Fades the first and last few milliseconds so nothing clicks; loops keep their ends (they join).
    std::vector<int16_t> Finish(bool loop) const
    {
        std::vector<int16_t> out(m_s.size());
        double peak = 1e-9;
        for (double v : m_s)
            peak = std::max(peak, std::fabs(v));
        double scale = 0.85 / std::max(peak, 1.0);
        const size_t fade = loop ? 0 : std::min<size_t>(m_s.size() / 4, kRate / 200);
        for (size_t i = 0; i < m_s.size(); ++i) {
            double g = 1.0;
            if (fade && i < fade)
                g = static_cast<double>(i) / fade;
            if (fade && i >= m_s.size() - fade)
                g = static_cast<double>(m_s.size() - 1 - i) / fade;
            out[i] = static_cast<int16_t>(std::lround(std::clamp(m_s[i] * scale * g, -1.0, 1.0) * 32000));
        }
        return out;
    }

private:
    std::vector<double> m_s;
};

auto Flat()
{
    return [](double) { return 1.0; };
}
auto Decay(double k)
{
    return [k](double x) { return std::exp(-k * x); };
}
auto AttackDecay(double attack, double k)
{
    return [attack, k](double x) { return x < attack ? x / attack : std::exp(-k * (x - attack)); };
}
auto Const(double f)
{
    return [f](double) { return f; };
}
auto Sweep(double f0, double f1, double seconds)
{
    return [=](double t) { return f0 + (f1 - f0) * t / seconds; };
}
auto Hump()
{
    return [](double x) { return std::sin(kPi * x); };
}

Wave Click()
{
    Wave w(0.05);
    w.Tone(0, 0.05, Const(1800), Decay(12), 0.8);
    w.Noise(0, 0.01, 0.6, Decay(8), 0.3, 1);
    return w;
}

Wave Siren(double seconds, double low, double high, double period, bool wail)
{
    Wave w(seconds);
    w.Tone(
        0, seconds,
        [=](double t) {
            double x = std::fmod(t / period, 1.0);
            return wail ? low + (high - low) * (0.5 - 0.5 * std::cos(2 * kPi * x)) : (x < 0.5 ? low : high);
        },
        Flat(), 0.7);
    return w;
}

Wave Blast(double seconds, double pitch, uint32_t seed)
{
    Wave w(seconds);
    w.Noise(0, seconds, 0.08, AttackDecay(0.01, 5), 1.0, seed);
    w.Noise(0, seconds * 0.3, 0.5, Decay(10), 0.5, seed + 1);
    w.Tone(0, seconds, Sweep(pitch, pitch * 0.4, seconds), Decay(6), 0.6);
    return w;
}

Wave Engine(double seconds, double rpm0, double rpm1, uint32_t seed)
{
    Wave w(seconds);
    w.Tone(
        0, seconds, Sweep(rpm0, rpm1, seconds), [](double x) { return x < 0.1 ? x * 10 : 1.0 - 0.7 * x; }, 0.5, true);
    w.Noise(
        0, seconds, 0.1, [](double x) { return 1.0 - 0.6 * x; }, 0.4, seed);
    return w;
}

Wave Shot(double seconds, uint32_t seed)
{
    Wave w(seconds);
    w.Noise(0, seconds, 0.7, Decay(18), 1.0, seed);
    w.Tone(0, seconds, Const(180), Decay(20), 0.5);
    return w;
}

Wave Voice(double f0, const std::vector<double>& steps)
{
    // Speech-like: a vowel tone stepping through a short melody (stands in for a recorded announcement).
    double each = 0.16;
    Wave w(each * steps.size() + 0.05);
    for (size_t i = 0; i < steps.size(); ++i)
        w.Tone(i * each, each, Const(f0 * steps[i]), Hump(), 0.6, true);
    w.Tone(0, w.Length(), Const(f0 * 3), Flat(), 0.05);
    return w;
}

Wave Squelch(uint32_t seed, double pitch)
{
    Wave w(0.35);
    w.Noise(0, 0.3, 0.8, Hump(), 0.7, seed);
    w.Tone(0.28, 0.07, Const(pitch), Flat(), 0.5);
    return w;
}

Wave Loop(double seconds, const std::function<void(Wave&)>& body)
{
    Wave w(seconds);
    body(w);
    return w;
}

struct Recipe {
    const char* file;
    std::function<Wave()> make;
    bool loop = false;
};

const std::vector<Recipe>& Recipes()
{
    static const std::vector<Recipe> r = {
        {"Click.wav", Click},
        {"RollOver.wav",
         [] {
             Wave w(0.04);
             w.Tone(0, 0.04, Const(2600), Decay(10), 0.4);
             return w;
         }},
        {"No.wav",
         [] {
             Wave w(0.3);
             w.Tone(0, 0.14, Const(220), Flat(), 0.6, true);
             w.Tone(0.16, 0.14, Const(180), Flat(), 0.6, true);
             return w;
         }},
        {"Ambulance.wav", [] { return Siren(1.6, 650, 950, 0.8, false); }},
        {"Chainsaw.wav", [] { return Engine(1.2, 90, 140, 4); }},
        {"Dozer1.wav", [] { return Engine(1.4, 40, 48, 5); }},
        {"Explosion1.wav", [] { return Blast(1.4, 80, 6); }},
        {"Explosion2.wav", [] { return Blast(2.0, 55, 7); }},
        {"FireTruck.wav", [] { return Siren(1.8, 500, 1100, 1.8, true); }},
        {"HoseSpray.wav",
         [] {
             Wave w(1.2);
             w.Noise(0, 1.2, 0.9, Hump(), 0.8, 9);
             return w;
         }},
        {"M16.wav",
         [] {
             Wave w(0.6);
             for (int i = 0; i < 5; ++i)
                 w.Noise(i * 0.1, 0.09, 0.7, Decay(14), 1.0, 10 + i);
             return w;
         }},
        {"Police.wav", [] { return Siren(1.6, 700, 1300, 0.4, true); }},
        {"SingleGunShot1.wav", [] { return Shot(0.4, 12); }},
        {"SingleGunShot2.wav", [] { return Shot(0.55, 13); }},
        {"ToxicSpill.wav",
         [] {
             return Loop(2.0, [](Wave& w) {
                 w.Noise(0, 2.0, 0.05, Flat(), 0.5, 14);
                 w.Tone(
                     0, 2.0, [](double t) { return 300 + 40 * std::sin(2 * kPi * t); }, Flat(), 0.15);
             });
         },
         true},
        {"FireLoop.wav",
         [] {
             return Loop(2.0, [](Wave& w) {
                 w.Noise(0, 2.0, 0.12, Flat(), 0.7, 15);
                 for (int i = 0; i < 10; ++i)
                     w.Noise(0.2 * i, 0.03, 0.9, Decay(10), 0.4, 150 + i);
             });
         },
         true},
        {"HazardElectrical.wav",
         [] {
             return Loop(1.0, [](Wave& w) {
                 w.Tone(0, 1.0, Const(120), Flat(), 0.5, true);
                 w.Tone(0, 1.0, Const(240), Flat(), 0.2);
                 w.Noise(0, 1.0, 0.9, Flat(), 0.15, 16);
             });
         },
         true},
        {"HazardGas.wav", [] { return Loop(2.0, [](Wave& w) { w.Noise(0, 2.0, 0.95, Flat(), 0.5, 17); }); }, true},
        {"HazardWater.wav",
         [] {
             return Loop(2.0, [](Wave& w) {
                 w.Noise(0, 2.0, 0.3, Flat(), 0.6, 18);
                 for (int i = 0; i < 8; ++i)
                     w.Tone(0.25 * i, 0.05, Const(900 + 150 * (i % 3)), Hump(), 0.2);
             });
         },
         true},
        {"RadioSquelch1.wav", [] { return Squelch(19, 1200); }},
        {"RadioSquelch2.wav", [] { return Squelch(20, 900); }},
        {"EnterVehicle.wav",
         [] {
             Wave w(0.5);
             w.Noise(0, 0.12, 0.3, Decay(6), 0.8, 21);
             w.Noise(0.3, 0.15, 0.2, Decay(8), 1.0, 22);
             return w;
         }},
        {"GiveAid.wav",
         [] {
             Wave w(0.5);
             w.Tone(0, 0.25, Const(660), Hump(), 0.5);
             w.Tone(0.25, 0.25, Const(880), Hump(), 0.5);
             return w;
         }},
        {"SearchComplete.wav",
         [] {
             Wave w(0.6);
             w.Tone(0, 0.2, Const(523), Hump(), 0.5);
             w.Tone(0.2, 0.2, Const(659), Hump(), 0.5);
             w.Tone(0.4, 0.2, Const(784), Hump(), 0.5);
             return w;
         }},
        {"DogBark.wav",
         [] {
             Wave w(0.7);
             for (int i = 0; i < 2; ++i) {
                 w.Tone(i * 0.35, 0.15, Sweep(500, 300, 0.15), Hump(), 0.6, true);
                 w.Noise(i * 0.35, 0.15, 0.4, Hump(), 0.4, 24 + i);
             }
             return w;
         }},
        {"DefuseBomb.wav",
         [] {
             Wave w(0.8);
             for (int i = 0; i < 4; ++i)
                 w.Tone(i * 0.15, 0.04, Const(3000), Decay(5), 0.5);
             w.Tone(0.62, 0.18, Const(880), Hump(), 0.5);
             return w;
         }},
        {"PoliceWhistle.wav",
         [] {
             Wave w(0.8);
             w.Tone(
                 0, 0.8, [](double t) { return 2800 + 120 * std::sin(2 * kPi * 25 * t); }, Hump(), 0.6);
             return w;
         }},
        {"ContainHazard.wav",
         [] {
             Wave w(0.8);
             w.Noise(0, 0.8, 0.2, Hump(), 0.5, 27);
             w.Tone(0, 0.8, Sweep(300, 200, 0.8), Hump(), 0.3);
             return w;
         }},
        {"Follow.wav",
         [] {
             return Voice(180, {1.0, 1.2, 0.9});
         }},
        {"Negotiate.wav",
         [] {
             return Voice(160, {1.0, 1.1, 1.0, 0.9, 1.05});
         }},
        {"IGiveUp.wav",
         [] {
             return Voice(200, {1.2, 1.0, 0.8});
         }},
        {"Hangup.wav",
         [] {
             Wave w(0.5);
             w.Noise(0, 0.08, 0.5, Decay(8), 0.8, 31);
             w.Tone(0.15, 0.35, Const(425), Flat(), 0.4);
             return w;
         }},
        {"JackHammer.wav",
         [] {
             Wave w(1.2);
             for (int i = 0; i < 24; ++i)
                 w.Noise(i * 0.05, 0.03, 0.6, Decay(6), 0.8, 320 + i);
             return w;
         }},
        {"Flare.wav",
         [] {
             Wave w(1.0);
             w.Noise(0, 1.0, 0.95, AttackDecay(0.05, 2), 0.7, 33);
             w.Tone(0, 0.3, Sweep(400, 1200, 0.3), Hump(), 0.3);
             return w;
         }},
        {"Appointed_O.wav",
         [] {
             return Voice(190, {1.0, 1.25, 1.5});
         }},
        {"Appointed_L.wav",
         [] {
             return Voice(190, {1.0, 1.25, 1.12});
         }},
        {"Appointed_P.wav",
         [] {
             return Voice(190, {1.0, 1.12, 1.25});
         }},
        {"Appointed_F.wav",
         [] {
             return Voice(190, {1.0, 0.9, 1.12});
         }},
        {"Appointed_I.wav",
         [] {
             return Voice(190, {1.5, 1.25, 1.0, 1.5});
         }},
        {"CarDriveAway.wav", [] { return Engine(1.5, 60, 120, 39); }},
        {"VanDriveAway.wav", [] { return Engine(1.6, 50, 100, 40); }},
        {"TruckDriveAway.wav", [] { return Engine(1.8, 35, 80, 41); }},
        {"BullDozerDriveAway.wav", [] { return Engine(2.0, 30, 50, 42); }},
        {"PoliceCarDriveAway.wav",
         [] {
             Wave w = Engine(1.6, 60, 130, 43);
             w.Tone(
                 0, 1.6, [](double t) { return 700 + 600 * (0.5 - 0.5 * std::cos(2 * kPi * t / 0.4)); },
                 [](double x) { return 0.5 * (1 - x); }, 0.4);
             return w;
         }},
    };
    return r;
}

} // namespace

void MakeSounds(Output& out)
{
    for (const Recipe& r : Recipes())
        out.Bytes(std::string("Sounds/") + r.file, EncodeWav(r.make().Finish(r.loop), kRate));
}

} // namespace demo
