// Iterative radix-2 decimation-in-time FFT in double precision: at 2048 points its rounding is
// far below the spectrum's float output.
#include "Fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace
{

void ReorderByReversedBits(std::complex<double>* data, std::size_t count)
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
}

} // namespace

void ForwardFft(std::complex<double>* data, std::size_t count)
{
    ReorderByReversedBits(data, count);
    for (std::size_t span = 2; span <= count; span <<= 1)
    {
        const std::size_t half = span / 2;
        for (std::size_t k = 0; k < half; ++k)
        {
            // Each twiddle from its own angle: a running product would drift over 11 stages.
            const double angle =
                -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(span);
            const std::complex<double> twiddle(std::cos(angle), std::sin(angle));
            for (std::size_t start = 0; start < count; start += span)
            {
                const std::complex<double> odd = data[start + k + half] * twiddle;
                data[start + k + half] = data[start + k] - odd;
                data[start + k] += odd;
            }
        }
    }
}
