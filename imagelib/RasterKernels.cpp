// Interpolation kernels of the image object: plain functions of the distance from the sample point.
#include "imagelib/Raster.h"

#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;

} // namespace

float CRaster::KernelBSpline(float x)
{
    if (x > 2.0f)
        return 0.0f;
    auto p = [](float u) { return u > 0.0f ? u * u * u : 0.0f; };
    return (p(x + 2.0f) - 4.0f * p(x + 1.0f) + 6.0f * p(x) - 4.0f * p(x - 1.0f)) / 6.0f;
}

float CRaster::KernelLinear(float t)
{
    if (t < -1.0f)
        return 0.0f;
    if (t < 0.0f)
        return 1.0f + t;
    if (t < 1.0f)
        return 1.0f - t;
    return 0.0f;
}

float CRaster::KernelCubic(float t)
{
    float u = std::fabs(t);
    if (u < 1.0f)
        return 1.0f - 2.0f * u * u + u * u * u;
    if (u < 2.0f)
        return 4.0f - 8.0f * u + 5.0f * u * u - u * u * u;
    return 0.0f;
}

float CRaster::KernelGeneralizedCubic(float t, float a)
{
    float u = std::fabs(t);
    if (u < 1.0f)
        return (a + 2.0f) * u * u * u - (a + 3.0f) * u * u + 1.0f;
    if (u < 2.0f)
        return a * u * u * u - 5.0f * a * u * u + 8.0f * a * u - 4.0f * a;
    return 0.0f;
}

float CRaster::KernelLanczosSinc(float t, float r)
{
    if (std::fabs(t) > r)
        return 0.0f;
    if (t == 0.0f)
        return 1.0f;
    float pit = kPi * t;
    float pitr = pit / r;
    return (std::sin(pitr) / pitr) * (std::sin(pit) / pit);
}

float CRaster::KernelBox(float x)
{
    return x >= -0.5f && x < 0.5f ? 1.0f : 0.0f;
}

float CRaster::KernelHermite(float x)
{
    if (x < -1.0f)
        return 0.0f;
    if (x < 0.0f)
        return (-2.0f * x - 3.0f) * x * x + 1.0f;
    if (x < 1.0f)
        return (2.0f * x - 3.0f) * x * x + 1.0f;
    return 0.0f;
}

float CRaster::KernelHamming(float x)
{
    if (x < -1.0f)
        return 0.0f;
    if (x < 0.0f)
        return 0.92f * (-2.0f * x - 3.0f) * x * x + 1.0f;
    if (x < 1.0f)
        return 0.92f * (2.0f * x - 3.0f) * x * x + 1.0f;
    return 0.0f;
}

float CRaster::KernelSinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    return std::sin(kPi * x) / (kPi * x);
}

float CRaster::KernelBlackman(float x)
{
    return 0.42f + 0.5f * std::cos(kPi * x) + 0.08f * std::cos(6.2831855f * x);
}

float CRaster::KernelBessel(float x)
{
    if (x == 0.0f)
        return 0.7853982f;
    return static_cast<float>(KernelBessel_Order1(kPi * x) / (2.0f * x));
}

float CRaster::KernelGaussian(float x)
{
    return std::exp(-2.0f * x * x) * 0.7978846f;
}

float CRaster::KernelQuadratic(float x)
{
    if (x < -1.5f)
        return 0.0f;
    if (x < -0.5f)
        return 0.5f * (x + 1.5f) * (x + 1.5f);
    if (x < 0.5f)
        return 0.75f - x * x;
    if (x < 1.5f)
        return 0.5f * (x - 1.5f) * (x - 1.5f);
    return 0.0f;
}

float CRaster::KernelMitchell(float x)
{
    constexpr float k16_9 = 1.7777778f, k10_3 = 3.3333333f, k7_18 = 0.3888889f, k7_6 = 1.1666666f;
    constexpr float k8_9 = 0.8888889f;
    if (x < -2.0f)
        return 0.0f;
    if (x < -1.0f)
        return k16_9 + x * (k10_3 + x * (2.0f + x * k7_18));
    if (x < 0.0f)
        return k8_9 + x * x * (-2.0f - x * k7_6);
    if (x < 1.0f)
        return k8_9 + x * x * (-2.0f + x * k7_6);
    if (x < 2.0f)
        return k16_9 + x * (-k10_3 + x * (2.0f - x * k7_18));
    return 0.0f;
}

float CRaster::KernelCatrom(float x)
{
    if (x < -2.0f)
        return 0.0f;
    if (x < -1.0f)
        return 0.5f * (((x + 5.0f) * x + 8.0f) * x + 4.0f);
    if (x < 0.0f)
        return 0.5f * ((-5.0f - 3.0f * x) * x * x + 2.0f);
    if (x < 1.0f)
        return 0.5f * ((3.0f * x - 5.0f) * x * x + 2.0f);
    if (x < 2.0f)
        return 0.5f * (((5.0f - x) * x - 8.0f) * x + 4.0f);
    return 0.0f;
}

double CRaster::KernelBessel_J1(double x)
{
    static const double kNum[] = {581199354001606115328.0, -66721065689249161216.0, 2316433580634002432.0,
                                  -35888175699101060.0,    290879526383477.56,      -1322983480332.1265,
                                  3413234182.3017006,      -4695753.530642996,      2701.1227108923235};
    static const double kDen[] = {1162398708003212230656.0, 11857707121903210496.0, 60920613989175216.0,
                                  208166122130760.75,       524371026216.76495,     1013863514.358674,
                                  1501793.5949985855,       1606.9315734814877,     1.0};
    double z = x * x, p = kNum[8], q = kDen[8];
    for (int i = 7; i >= 0; --i) {
        p = p * z + kNum[i];
        q = q * z + kDen[i];
    }
    return p / q;
}

double CRaster::KernelBessel_P1(double x)
{
    static const double kNum[] = {35224.66491336798,  62758.84524716128,  31353.963110915956,
                                  4985.4832060594335, 211.15291828539623, 1.2571716929145342};
    static const double kDen[] = {35224.66491336798, 62694.34695935605,  31240.406381904104,
                                  4930.396490181089, 203.07751891347593, 1.0};
    double w = (8.0 / x) * (8.0 / x), p = kNum[5], q = kDen[5];
    for (int i = 4; i >= 0; --i) {
        p = p * w + kNum[i];
        q = q * w + kDen[i];
    }
    return p / q;
}

double CRaster::KernelBessel_Q1(double x)
{
    static const double kNum[] = {351.17519143035526, 721.0391804904475, 425.98730116544425,
                                  83.18989576738508,  4.568171629551227, 0.03532840052740124};
    static const double kDen[] = {7491.737417180912,  15414.177339265098, 9152.231701516992,
                                  1811.1867005523513, 103.81875854621337, 1.0};
    double w = (8.0 / x) * (8.0 / x), p = kNum[5], q = kDen[5];
    for (int i = 4; i >= 0; --i) {
        p = p * w + kNum[i];
        q = q * w + kDen[i];
    }
    return p / q;
}

double CRaster::KernelBessel_Order1(double x)
{
    if (x == 0.0)
        return 0.0;
    double p = std::fabs(x);
    if (p < 8.0)
        return x * KernelBessel_J1(p);
    const double s = static_cast<float>(std::sin(p)), c = static_cast<float>(std::cos(p));
    const double r2 = static_cast<float>(1.0 / std::sqrt(2.0));
    double q = std::sqrt(2.0 / (kPi * p)) *
               (KernelBessel_P1(p) * (s - c) * r2 + (8.0 / p) * KernelBessel_Q1(p) * (s + c) * r2);
    return x < 0.0 ? -q : q;
}
