#include "signal_analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vimo::test {

Signal toSignal(const std::vector<int16_t>& samples) {
    return Signal(samples.begin(), samples.end());
}

Signal slice(const Signal& signal, size_t first, size_t count) {
    first = std::min(first, signal.size());
    count = std::min(count, signal.size() - first);
    return Signal(signal.begin() + static_cast<std::ptrdiff_t>(first),
                  signal.begin() + static_cast<std::ptrdiff_t>(first + count));
}

double mean(const Signal& signal) {
    if (signal.empty()) return 0;
    double sum = 0;
    for (double x : signal) sum += x;
    return sum / static_cast<double>(signal.size());
}

double acRms(const Signal& signal) {
    if (signal.empty()) return 0;
    const double m = mean(signal);
    double sum = 0;
    for (double x : signal) sum += (x - m) * (x - m);
    return std::sqrt(sum / static_cast<double>(signal.size()));
}

double peak(const Signal& signal) {
    double p = 0;
    for (double x : signal) p = std::max(p, std::fabs(x));
    return p;
}

double zeroCrossingFrequency(const Signal& signal, double rate) {
    const double m = mean(signal);
    double first = -1;
    double last = -1;
    int32_t crossings = 0;
    for (size_t i = 1; i < signal.size(); ++i) {
        const double a = signal[i - 1] - m;
        const double b = signal[i] - m;
        if (a < 0 && b >= 0) {
            const double t = static_cast<double>(i - 1) + a / (a - b);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2 || last <= first) return 0;
    return (crossings - 1) * rate / (last - first);
}

int32_t meanCrossings(const Signal& signal) {
    const double m = mean(signal);
    int32_t crossings = 0;
    for (size_t i = 1; i < signal.size(); ++i)
        if ((signal[i - 1] < m) != (signal[i] < m)) ++crossings;
    return crossings;
}

double toneAmplitude(const Signal& signal, double frequency, double rate) {
    const size_t n = signal.size();
    if (n < 2) return 0;
    const double m = mean(signal);
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    double re = 0;
    double im = 0;
    double windowSum = 0;
    for (size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                   static_cast<double>(n - 1));
        const double x = (signal[i] - m) * window;
        re += x * std::cos(w * static_cast<double>(i));
        im -= x * std::sin(w * static_cast<double>(i));
        windowSum += window;
    }
    return 2.0 * std::sqrt(re * re + im * im) / windowSum;
}

double autocorrelation(const Signal& signal, size_t lag) {
    if (lag >= signal.size()) return 0;
    const double m = mean(signal);
    double sum = 0;
    double energy = 0;
    for (size_t i = 0; i + lag < signal.size(); ++i) sum += (signal[i] - m) * (signal[i + lag] - m);
    for (double x : signal) energy += (x - m) * (x - m);
    if (energy == 0) return 0;
    return sum / energy * static_cast<double>(signal.size()) / static_cast<double>(signal.size() - lag);
}

double decibels(double a, double b) {
    return 20.0 * std::log10(a / b);
}

}  // namespace vimo::test
