// The whole plug-in as a host runs it, as a real-time factor in one run: Tavine's built VST3
// and the processor used directly, next to two established open-source enhancers from
// Debian's packages (the calf-plugins exciter and bass enhancer, as LV2: apt-get install
// calf-plugins) processing the same input through the same host classes.
// Run: build/bench/tavine_host_bench
#include "plugin/ZarivirAudioProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <random>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    juce::AudioPluginFormatManager& formats()
    {
        static juce::AudioPluginFormatManager manager;

        if (manager.getNumFormats() == 0)
        {
            manager.addFormat (new juce::VST3PluginFormat());
            manager.addFormat (new juce::LV2PluginFormat());
        }

        return manager;
    }

    /** The plug-in in a file or bundle whose name contains `name` (any, when empty). */
    std::unique_ptr<juce::AudioPluginInstance> load (const juce::String& location, const juce::String& name)
    {
        for (auto* format : formats().getFormats())
        {
            juce::OwnedArray<juce::PluginDescription> found;
            format->findAllTypesForFile (found, location);

            for (auto* description : found)
            {
                if (name.isNotEmpty() && ! description->name.containsIgnoreCase (name))
                    continue;

                juce::String error;

                if (auto instance = formats().createPluginInstance (*description, sampleRate, blockSize, error))
                    return instance;
            }
        }

        return nullptr;
    }

    void setStereo (juce::AudioProcessor& processor)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (juce::AudioChannelSet::stereo());
        layout.outputBuses.add (juce::AudioChannelSet::stereo());
        processor.setBusesLayout (layout);
    }

    // Every parameter a little above its default, so each stage has work to do.
    void engageAllParameters (juce::AudioProcessor& processor)
    {
        for (auto* parameter : processor.getParameters())
            if (parameter->getName (64).containsIgnoreCase ("bypass") == false)
                parameter->setValueNotifyingHost (juce::jlimit (0.0f, 1.0f, parameter->getDefaultValue() + 0.3f));
    }

    void runProcessor (benchmark::State& state, juce::AudioProcessor& processor)
    {
        setStereo (processor);
        engageAllParameters (processor);
        processor.prepareToPlay (sampleRate, blockSize);

        std::mt19937 random (7);
        std::uniform_real_distribution<float> noise (-0.5f, 0.5f);
        juce::AudioBuffer<float> source (2, (int) sampleRate), block (2, blockSize);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < source.getNumSamples(); ++i)
                source.setSample (ch, i, noise (random));

        juce::MidiBuffer midi;
        int position = 0;

        for (auto _ : state)
        {
            if (position + blockSize > source.getNumSamples())
                position = 0;

            for (int ch = 0; ch < 2; ++ch)
                block.copyFrom (ch, 0, source, ch, position, blockSize);

            processor.processBlock (block, midi);
            benchmark::DoNotOptimize (block.getReadPointer (0));
            position += blockSize;
        }

        processor.releaseResources();
        state.counters["realtime_x"] = benchmark::Counter ((double) state.iterations() * blockSize / sampleRate, benchmark::Counter::kIsRate);
    }

    void hosted (benchmark::State& state, const juce::String& location, const juce::String& name)
    {
        auto instance = load (location, name);

        if (instance == nullptr)
        {
            state.SkipWithError (("cannot load " + name + " from " + location).toRawUTF8());
            return;
        }

        state.SetLabel (instance->getName().toStdString());
        runProcessor (state, *instance);
    }

    void directProcessor (benchmark::State& state)
    {
        ZarivirAudioProcessor processor;
        state.SetLabel ("processor used directly");
        runProcessor (state, processor);
    }
} // namespace

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    // The module lives in Tavine.vst3/Contents/<architecture>/; a host is given the bundle.
    const auto vst3Bundle = juce::File (TAVINE_VST3_MODULE).getParentDirectory().getParentDirectory().getParentDirectory();

    benchmark::RegisterBenchmark ("wholePlugin/TavineVst3", hosted, vst3Bundle.getFullPathName(), juce::String ("Tavine"));
    benchmark::RegisterBenchmark ("wholePlugin/TavineDirect", directProcessor);
    // LV2 plug-ins are found by their URIs, on the LV2 path (Debian installs into /usr/lib/lv2).
    benchmark::RegisterBenchmark ("wholePlugin/CalfExciterLv2", hosted, juce::String ("http://calf.sourceforge.net/plugins/Exciter"), juce::String());
    benchmark::RegisterBenchmark ("wholePlugin/CalfBassEnhancerLv2", hosted, juce::String ("http://calf.sourceforge.net/plugins/BassEnhancer"), juce::String());

    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
