#include "ToneAnalysis.h"

#include "FileText.h"

#include <cmath>
#include <numbers>

namespace quillaro::test {
namespace {

// Far below the tones the tests write, far above rounding noise.
constexpr double SilenceRms = 300.0;
// The winning frequency must stand this far above the next one.
constexpr double DominanceRatio = 4.0;

double goertzelPower(const std::int16_t* stereo, std::size_t frames, double hz) {
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * hz / TestRate);
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        double s0 = stereo[2 * i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

} // namespace

Samples readOutput(const std::filesystem::path& path) {
    const std::string bytes = quillaro::test::readFile(path);
    Samples samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                               (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return samples;
}

std::vector<int> labelWindows(const Samples& samples, const std::vector<double>& frequencies) {
    std::vector<int> labels;
    const std::size_t frames = samples.size() / 2;
    for (std::size_t start = 0; start + AnalysisWindow <= frames; start += AnalysisWindow) {
        const std::int16_t* window = samples.data() + 2 * start;
        double energy = 0.0;
        for (std::size_t i = 0; i < AnalysisWindow; ++i)
            energy += static_cast<double>(window[2 * i]) * window[2 * i];
        if (std::sqrt(energy / AnalysisWindow) < SilenceRms) {
            labels.push_back(Silence);
            continue;
        }
        int best = Mixed;
        double bestPower = 0.0;
        double secondPower = 0.0;
        for (std::size_t f = 0; f < frequencies.size(); ++f) {
            double power = goertzelPower(window, AnalysisWindow, frequencies[f]);
            if (power > bestPower) {
                secondPower = bestPower;
                bestPower = power;
                best = static_cast<int>(f);
            } else if (power > secondPower) {
                secondPower = power;
            }
        }
        labels.push_back(bestPower > DominanceRatio * secondPower ? best : Mixed);
    }
    return labels;
}

std::vector<ToneRun> runsOf(const std::vector<int>& labels) {
    std::vector<ToneRun> runs;
    for (int label : labels) {
        if (!runs.empty() && runs.back().tone == label)
            ++runs.back().windows;
        else
            runs.push_back({label, 1});
    }
    return runs;
}

std::vector<int> toneSequence(const std::vector<int>& labels, std::size_t minWindows) {
    std::vector<int> sequence;
    for (const ToneRun& run : runsOf(labels)) {
        if (run.tone < 0 || run.windows < minWindows)
            continue;
        if (sequence.empty() || sequence.back() != run.tone)
            sequence.push_back(run.tone);
    }
    return sequence;
}

std::string describe(const std::vector<int>& labels) {
    std::string text;
    for (const ToneRun& run : runsOf(labels))
        text += std::to_string(run.tone) + "x" + std::to_string(run.windows) + " ";
    return text;
}

} // namespace quillaro::test
