// Measurements on rendered sound: frequency by zero crossings, the amplitude
// of one frequency (Goertzel filter), RMS level, decibels, autocorrelation.
// Every measurement works on a signal given as doubles at a sample rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vimo::test {

using Signal = std::vector<double>;

Signal toSignal(const std::vector<int16_t>& samples);
// The part [first, first + count) of a signal.
Signal slice(const Signal& signal, std::size_t first, std::size_t count);

double mean(const Signal& signal);
// RMS after removing the mean (the AC level).
double acRms(const Signal& signal);
// Largest absolute value.
double peak(const Signal& signal);

// Frequency from the rising crossings of the mean, with the crossing times
// interpolated between samples: (crossings − 1) periods between the first
// and last crossing. 0 when fewer than two crossings.
double zeroCrossingFrequency(const Signal& signal, double rate);
// Number of crossings of the mean, rising and falling.
int32_t meanCrossings(const Signal& signal);

// Amplitude of the component at `frequency` (a sine of amplitude A gives A),
// over a Hann window, the mean removed first.
double toneAmplitude(const Signal& signal, double frequency, double rate);

// Normalised autocorrelation at an integer lag (mean removed), −1 to 1.
double autocorrelation(const Signal& signal, std::size_t lag);

// 20 × log10(a / b).
double decibels(double a, double b);

}  // namespace vimo::test
