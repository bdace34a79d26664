// A radix-2 FFT of our own, so that the spectrum is the same code on every platform (the Windows
// build has no FFT library to link).
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

class Fft
{
  public:
    // `count` must be a power of two.
    explicit Fft(std::size_t count);

    // Transforms `data` (`count` values) in place into X[k] = sum x[n] e^(-2 pi i k n / count).
    void Forward(std::complex<double>* data) const;

  private:
    std::size_t count;
    std::vector<std::complex<double>> twiddles; // e^(-2 pi i j / count), j < count / 2
};
