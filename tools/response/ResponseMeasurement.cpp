#include "ResponseMeasurement.h"

#include "plugin/ParameterIds.h"
#include "plugin/ZarivirAudioProcessor.h"

#include <cmath>
#include <complex>

namespace
{
    constexpr double twoPi = 6.283185307179586;
    constexpr int blockSize = 512;
    constexpr float amplitude = 0.25f;

    // Long enough for the red band-pass and the blue high-pass to forget the previous
    // frequency (both settle within a few milliseconds) before anything is measured.
    constexpr int settleSamples = 4096;

    // At least this many samples are compared, rounded to whole periods of the sine.
    constexpr int minimumWindowSamples = 4096;

    // The sine's complex amplitude over [start, start + length): its correlation with e^-jwn.
    std::complex<double> phasor (const std::vector<float>& x, int start, int length, double omega)
    {
        std::complex<double> sum;

        for (int n = 0; n < length; ++n)
        {
            const double angle = omega * (double) n;
            sum += (double) x[(std::size_t) (start + n)] * std::complex<double> (std::cos (angle), -std::sin (angle));
        }

        return sum;
    }
} // namespace

std::vector<double> ResponseMeasurement::logFrequencies (double lowHz, double highHz, int stepsPerOctave)
{
    std::vector<double> frequenciesHz;
    const int steps = (int) std::lround (std::log2 (highHz / lowHz) * stepsPerOctave);

    for (int i = 0; i <= steps; ++i)
        frequenciesHz.push_back (lowHz * std::pow (highHz / lowHz, (double) i / (double) steps));

    return frequenciesHz;
}

std::vector<double> ResponseMeasurement::gainsInDecibels (const Setting& setting, const std::vector<double>& frequenciesHz)
{
    ZarivirAudioProcessor processor;
    processor.prepareToPlay (sampleRate, blockSize);
    processor.getEngine().setNoiseSeed (1);

    for (int k = 0; k < 3; ++k)
        processor.getValueTreeState().getParameter (ParameterIds::knobs[(size_t) k])->setValueNotifyingHost (k == setting.knob ? setting.amount : 0.0f);

    processor.getValueTreeState().getParameter (ParameterIds::x2)->setValueNotifyingHost (setting.x2 ? 1.0f : 0.0f);

    // What comes out at sample n + latency went in at sample n.
    const int latency = processor.getLatencySamples();
    juce::AudioBuffer<float> block (2, blockSize);
    juce::MidiBuffer midi;
    std::vector<double> gains;

    for (const double frequencyHz : frequenciesHz)
    {
        const double periods = std::ceil (minimumWindowSamples * frequencyHz / sampleRate);
        const int window = (int) std::lround (periods * sampleRate / frequencyHz);
        const int total = (settleSamples + latency + window + blockSize - 1) / blockSize * blockSize;
        std::vector<float> input ((std::size_t) total), output ((std::size_t) total);

        for (int n = 0; n < total; ++n)
            input[(std::size_t) n] = amplitude * (float) std::sin (twoPi * frequencyHz * (double) n / sampleRate);

        for (int start = 0; start < total; start += blockSize)
        {
            for (int channel = 0; channel < 2; ++channel)
                block.copyFrom (channel, 0, input.data() + start, blockSize);

            processor.processBlock (block, midi);
            std::copy (block.getReadPointer (0), block.getReadPointer (0) + blockSize, output.data() + start);
        }

        const double omega = twoPi * frequencyHz / sampleRate;
        const auto in = phasor (input, settleSamples, window, omega);
        const auto out = phasor (output, settleSamples + latency, window, omega);
        gains.push_back (20.0 * std::log10 (std::abs (out) / std::abs (in)));
    }

    return gains;
}
