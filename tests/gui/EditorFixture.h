#pragma once

#include "GuiTestSupport.h"
#include "PluginEditor.h"

#include <cstdlib>
#include <memory>

// A processor with its editor open on the (virtual) desktop. The preset strip
// creates its folder under the user's home, so the home points into the build tree
// for the duration of a test.
class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* home = std::getenv ("HOME"))
            savedHome = home;

        auto home = guitest::outputFolder().getChildFile ("home");
        home.createDirectory();
        setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

        processor = std::make_unique<QuorvelV2AudioProcessor>();
        processor->prepareToPlay (44100.0, 512);
    }

    void TearDown() override
    {
        closeEditor();
        processor.reset();
        setenv ("HOME", savedHome.toRawUTF8(), 1);
    }

    void openEditor()
    {
        editor = std::make_unique<QuorvelV2AudioProcessorEditor> (*processor);
        editor->setVisible (true);
        editor->addToDesktop (0);
    }

    void closeEditor()
    {
        editor.reset();
    }

    // Waits until timer 0 has refreshed every control at least once.
    void waitForRefresh()
    {
        const int start = editor->tickCount;
        guitest::pumpUntil ([&] { return editor->tickCount >= start + 8; });
        guitest::pump (10);
    }

    void renderBlocks (int blocks, int blockSize = 512)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;

        for (int i = 0; i < blocks; ++i)
        {
            buffer.clear();
            processor->processBlock (buffer, midi);
        }
    }

    juce::String savedHome;
    std::unique_ptr<QuorvelV2AudioProcessor> processor;
    std::unique_ptr<QuorvelV2AudioProcessorEditor> editor;
};
