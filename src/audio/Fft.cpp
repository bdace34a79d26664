// Iterative radix-2 decimation-in-time FFT in double precision: at 2048 points its rounding is
// far below the spectrum's float output.
#include "Fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace
{

// Written out: std::complex's operator* calls a library routine for the infinities of Annex G.
std::complex<double> Multiply(std::complex<double> a, std::complex<double> b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

} // namespace

Fft::Fft(std::size_t size) : count(size), twiddles(size / 2)
{
    // Each twiddle from its own angle: a running product would drift over the stages.
    for (std::size_t j = 0; j < twiddles.size(); ++j)
    {
        const double angle =
            -2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(count);
        twiddles[j] = {std::cos(angle), std::sin(angle)};
    }
}

void Fft::Forward(std::complex<double>* data) const
{
    for (std::size_t i = 1, j = 0; i < count; ++i)
    {
        std::size_t bit = count >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (std::size_t span = 2; span <= count; span <<= 1)
    {
        const std::size_t half = span / 2;
        const std::size_t stride = count / span;
        for (std::size_t start = 0; start < count; start += span)
        {
            for (std::size_t k = 0; k < half; ++k)
            {
                const std::complex<double> odd =
                    Multiply(data[start + k + half], twiddles[k * stride]);
                data[start + k + half] = data[start + k] - odd;
                data[start + k] += odd;
            }
        }
    }
}
