#include "GoldenRenders.h"

#include <JuceHeader.h>

#include <iostream>

// Makes the golden renders anew from the processor built into this program. Run it
// only to accept a deliberate change of sound, and say why in the commit that
// carries the new files.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI framework;

    const juce::File folder (argc > 1 ? juce::File::getCurrentWorkingDirectory().getChildFile (argv[1])
                                      : juce::File (TORAVEL_TEST_DATA));
    if (argc > 2 || !folder.createDirectory())
    {
        std::cerr << "usage: toravel-golden [folder]   (default " << TORAVEL_TEST_DATA << ")\n";
        return 2;
    }

    for (const auto& golden : goldenRenders())
    {
        std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());
        const auto job = golden.job();
        prepareForRender (*processor, job);
        const auto unknown = applySettings (*processor, job.settings);
        if (!unknown.isEmpty())
        {
            std::cerr << "toravel-golden: no parameter named " << unknown.joinIntoString (", ") << "\n";
            return 1;
        }
        juce::AudioBuffer<float> audio;
        render (*processor, job, audio);

        const auto file = folder.getChildFile (golden.fileName());
        file.deleteFile();
        auto stream = file.createOutputStream();
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            stream == nullptr
                ? nullptr
                : wav.createWriterFor (stream.get(), job.sampleRate, (unsigned int) audio.getNumChannels(), 32, {}, 0));
        if (writer == nullptr)
        {
            std::cerr << "toravel-golden: cannot write " << file.getFullPathName() << "\n";
            return 1;
        }
        stream.release();
        if (!writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
        {
            std::cerr << "toravel-golden: cannot write " << file.getFullPathName() << "\n";
            return 1;
        }
        std::cout << file.getFullPathName() << ": peak " << audio.getMagnitude (0, audio.getNumSamples()) << "\n";
    }
    return 0;
}
