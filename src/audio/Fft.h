// A radix-2 FFT of our own, so that the spectrum is the same code on every platform (the Windows
// build has no FFT library to link).
#pragma once

#include <complex>
#include <cstddef>

// Transforms `data` in place into X[k] = sum x[n] e^(-2 pi i k n / count). `count` must be a
// power of two.
void ForwardFft(std::complex<double>* data, std::size_t count);
