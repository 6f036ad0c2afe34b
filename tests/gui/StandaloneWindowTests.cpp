// The standalone program's window and audio settings, on a device of the tests' own: the
// banner about the muted input shows only while a device with inputs is open and the input is
// muted, the framework's own banner never does, Unmute reaches the audio and is kept, the
// device plays in stereo, and the settings offer no MIDI to Tavine.

#include "plugin/TavineAudioSettings.h"
#include "plugin/TavineInputBanner.h"
#include "plugin/TavineStandaloneWindow.h"
#include "plugin/ZarivirAudioProcessor.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

namespace
{
    /** A device that opens whatever it is asked to and never calls back with audio. */
    class TestDevice : public juce::AudioIODevice
    {
    public:
        TestDevice (const juce::String& deviceName, int numInputs)
            : AudioIODevice (deviceName, "Test")
            , inputs (numInputs)
        {
        }

        juce::StringArray getOutputChannelNames() override { return { "Left", "Right" }; }
        juce::StringArray getInputChannelNames() override { return inputs > 0 ? juce::StringArray { "Left in", "Right in" } : juce::StringArray(); }
        juce::Array<double> getAvailableSampleRates() override { return { 48000.0 }; }
        juce::Array<int> getAvailableBufferSizes() override { return { 512 }; }
        int getDefaultBufferSize() override { return 512; }

        juce::String open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels, double, int) override
        {
            activeInputs = inputChannels;
            activeInputs.setRange (inputs, activeInputs.getHighestBit() + 1, false);
            activeOutputs = outputChannels;
            activeOutputs.setRange (2, activeOutputs.getHighestBit() + 1, false);
            opened = true;
            return {};
        }

        void close() override
        {
            stop();
            opened = false;
        }

        bool isOpen() override { return opened; }

        void start (juce::AudioIODeviceCallback* newCallback) override
        {
            callback = newCallback;

            if (callback != nullptr)
                callback->audioDeviceAboutToStart (this);
        }

        void stop() override
        {
            if (auto* stopped = std::exchange (callback, nullptr))
                stopped->audioDeviceStopped();
        }

        bool isPlaying() override { return callback != nullptr; }
        juce::String getLastError() override { return {}; }
        int getCurrentBufferSizeSamples() override { return 512; }
        double getCurrentSampleRate() override { return 48000.0; }
        int getCurrentBitDepth() override { return 32; }
        juce::BigInteger getActiveOutputChannels() const override { return activeOutputs; }
        juce::BigInteger getActiveInputChannels() const override { return activeInputs; }
        int getOutputLatencyInSamples() override { return 0; }
        int getInputLatencyInSamples() override { return 0; }

    private:
        const int inputs;
        juce::BigInteger activeInputs, activeOutputs;
        juce::AudioIODeviceCallback* callback = nullptr;
        bool opened = false;
    };

    /** Two stereo devices: "Duplex", with inputs, and "Output only". */
    class TestDeviceType : public juce::AudioIODeviceType
    {
    public:
        TestDeviceType()
            : AudioIODeviceType ("Test")
        {
        }

        void scanForDevices() override {}
        juce::StringArray getDeviceNames (bool wantInputNames) const override { return wantInputNames ? juce::StringArray { "Duplex" } : juce::StringArray { "Duplex", "Output only" }; }
        int getDefaultDeviceIndex (bool) const override { return 0; }
        int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override { return device == nullptr ? -1 : getDeviceNames (asInput).indexOf (device->getName()); }
        bool hasSeparateInputsAndOutputs() const override { return true; }

        juce::AudioIODevice* createDevice (const juce::String& outputName, const juce::String& inputName) override
        {
            return new TestDevice (outputName.isNotEmpty() ? outputName : inputName, inputName.isNotEmpty() ? 2 : 0);
        }
    };

    template <typename ComponentType>
    ComponentType* findChild (juce::Component& parent)
    {
        for (auto* child : parent.getChildren())
            if (auto* found = dynamic_cast<ComponentType*> (child))
                return found;

        return nullptr;
    }

    /** The texts of every label and button in a component, and in the components inside it. */
    juce::StringArray textsIn (juce::Component& component)
    {
        juce::StringArray texts;

        if (auto* label = dynamic_cast<juce::Label*> (&component))
            texts.add (label->getText());

        if (auto* button = dynamic_cast<juce::Button*> (&component))
            texts.add (button->getButtonText());

        for (auto* child : component.getChildren())
            texts.addArray (textsIn (*child));

        return texts;
    }

    bool anyContains (const juce::StringArray& texts, const juce::String& part)
    {
        for (const auto& text : texts)
            if (text.contains (part))
                return true;

        return false;
    }

    class StandaloneWindow : public testing::Test
    {
    protected:
        ~StandaloneWindow() override
        {
            window = nullptr;
            test::deliverPendingMessages();
        }

        /** The window as the program opens it, with the input muted or not; with no key in the
            settings, as at a user's first start. Whatever device the machine has is closed: the
            tests open their own. */
        void openWindow (std::optional<bool> muted = {})
        {
            if (muted.has_value())
                settings.setValue ("shouldMuteInput", *muted);

            window = std::make_unique<TavineStandaloneWindow> ("Tavine", &settings);
            window->getDeviceManager().closeAudioDevice();
            window->getDeviceManager().addAudioDeviceType (std::make_unique<TestDeviceType>());
            test::deliverPendingMessages();
        }

        void openDevice (const juce::String& outputName, const juce::String& inputName)
        {
            auto& devices = window->getDeviceManager();
            devices.setCurrentAudioDeviceType ("Test", true);

            auto setup = devices.getAudioDeviceSetup();
            setup.outputDeviceName = outputName;
            setup.inputDeviceName = inputName;
            setup.useDefaultInputChannels = true;
            setup.useDefaultOutputChannels = true;
            ASSERT_EQ (devices.setAudioDeviceSetup (setup, true), juce::String());
            test::deliverPendingMessages();
        }

        void closeDevice()
        {
            window->getDeviceManager().closeAudioDevice();
            window->getDeviceManager().sendChangeMessage();
            test::deliverPendingMessages();
        }

        void setMuted (bool muted)
        {
            window->pluginHolder->getMuteInputValue().setValue (muted);
            test::deliverPendingMessages();
        }

        void pressUnmute()
        {
            auto* unmute = findChild<juce::TextButton> (banner());
            ASSERT_NE (unmute, nullptr);
            unmute->triggerClick();
            test::deliverPendingMessages();
        }

        TavineInputBanner& banner()
        {
            auto* found = findChild<TavineInputBanner> (*window);

            if (found == nullptr)
                throw std::runtime_error ("the window has no input banner");

            return *found;
        }

        bool audioInputMuted() const { return window->pluginHolder->muteInput; }

        /** The framework's content: the editor, and its own banner above it when that shows. */
        juce::Component& content() { return *window->getContentComponent(); }

        /** Checks that the editor fills the content, the framework's banner hidden, and that
            the content sits right below our banner when that shows. */
        void expectLayout (bool ourBannerShown)
        {
            EXPECT_EQ (banner().isVisible(), ourBannerShown);
            EXPECT_EQ (content().getHeight(), 300) << "the framework's own banner shows";

            if (ourBannerShown)
            {
                EXPECT_EQ (banner().getHeight(), TavineInputBanner::height);
                EXPECT_EQ (banner().getBottom(), content().getY());
                EXPECT_EQ (banner().getWidth(), content().getWidth());
            }
        }

        juce::PropertySet settings;
        std::unique_ptr<TavineStandaloneWindow> window;
    };

    TEST_F (StandaloneWindow, MutedInputShowsNoBannerWhileNoDeviceIsOpen)
    {
        openWindow();

        EXPECT_TRUE (audioInputMuted()) << "the input starts muted, against feedback";
        expectLayout (false);
    }

    TEST_F (StandaloneWindow, MutedInputOnADeviceWithInputsShowsTheBannerAboveTheEditor)
    {
        openWindow();
        const auto heightWithoutBanner = window->getHeight();

        openDevice ("Duplex", "Duplex");

        expectLayout (true);
        EXPECT_EQ (window->getHeight(), heightWithoutBanner + TavineInputBanner::height);

        // It says where the switch is, as the settings and the menu name it.
        const auto texts = textsIn (banner());
        EXPECT_TRUE (anyContains (texts, "Options > Audio Settings > Mute audio input")) << texts.joinIntoString (" | ").toStdString();
        EXPECT_TRUE (texts.contains ("Unmute"));
    }

    TEST_F (StandaloneWindow, UnmuteUnmutesTheAudioAndIsKeptForTheNextStart)
    {
        openWindow();
        const auto heightWithoutBanner = window->getHeight();
        openDevice ("Duplex", "Duplex");

        pressUnmute();

        EXPECT_FALSE (audioInputMuted());
        expectLayout (false);
        EXPECT_EQ (window->getHeight(), heightWithoutBanner);

        window = nullptr;
        EXPECT_FALSE (settings.getBoolValue ("shouldMuteInput", true));
    }

    TEST_F (StandaloneWindow, BannerFollowsTheMuteAndTheDevice)
    {
        openWindow (false);
        openDevice ("Duplex", "Duplex");
        expectLayout (false);

        // The settings' switch.
        setMuted (true);
        EXPECT_TRUE (audioInputMuted());
        expectLayout (true);

        closeDevice();
        expectLayout (false);

        // A device without inputs has nothing to mute.
        openDevice ("Output only", {});
        expectLayout (false);
    }

    TEST_F (StandaloneWindow, ResetToTheDefaultStateKeepsTheFrameworkBannerHidden)
    {
        openWindow();
        openDevice ("Duplex", "Duplex");

        window->handleOptionsMenuResult (TavineStandaloneWindow::resetStateItem);
        test::deliverPendingMessages();
        expectLayout (true);

        pressUnmute();
        EXPECT_FALSE (audioInputMuted());
        expectLayout (false);
    }

    TEST_F (StandaloneWindow, PlaysAStereoDeviceInStereo)
    {
        openWindow();
        openDevice ("Duplex", "Duplex");

        const auto* device = window->getDeviceManager().getCurrentAudioDevice();
        ASSERT_NE (device, nullptr);
        EXPECT_EQ (device->getActiveInputChannels().countNumberOfSetBits(), 2);
        EXPECT_EQ (device->getActiveOutputChannels().countNumberOfSetBits(), 2);
        EXPECT_EQ (window->getAudioProcessor()->getTotalNumOutputChannels(), 2);
    }

    TEST_F (StandaloneWindow, OptionsOpenAudioSettingsWithoutMidi)
    {
        openWindow();

        const auto menu = window->createOptionsMenu();
        juce::StringArray items;

        for (juce::PopupMenu::MenuItemIterator item (menu); item.next();)
            items.add (item.getItem().text);

        EXPECT_EQ (items[0], "Audio Settings...");
        EXPECT_FALSE (anyContains (items, "MIDI")) << items.joinIntoString (" | ").toStdString();

        window->handleOptionsMenuResult (TavineStandaloneWindow::audioSettingsItem);
        test::deliverPendingMessages();

        TavineAudioSettings* shown = nullptr;
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (auto* dialog = dynamic_cast<juce::DialogWindow*> (juce::Desktop::getInstance().getComponent (i)))
                if (auto* settingsShown = dynamic_cast<TavineAudioSettings*> (dialog->getContentComponent()))
                    shown = settingsShown;

        EXPECT_NE (shown, nullptr) << "the menu did not open our audio settings";
        juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
        test::deliverPendingMessages();
    }

    class AudioSettingsDialog : public testing::Test
    {
    protected:
        juce::AudioDeviceManager devices;
        juce::Value inputMuted { true };
    };

    TEST_F (AudioSettingsDialog, TavineGetsNoMidiChoicesAndTheMuteSwitch)
    {
        ZarivirAudioProcessor processor;
        TavineAudioSettings settings (devices, processor, inputMuted, true);
        const auto texts = textsIn (settings);

        EXPECT_FALSE (anyContains (texts, "MIDI")) << texts.joinIntoString (" | ").toStdString();
        EXPECT_EQ (TavineAudioSettings::getTitle (processor), "Audio Settings");

        auto* muteSwitch = findChild<juce::ToggleButton> (settings);
        ASSERT_NE (muteSwitch, nullptr);
        EXPECT_EQ (muteSwitch->getButtonText(), "Mute audio input");
        EXPECT_TRUE (muteSwitch->getToggleState());

        muteSwitch->setToggleState (false, juce::sendNotificationSync);
        EXPECT_FALSE ((bool) inputMuted.getValue());
    }

    TEST_F (AudioSettingsDialog, AProcessorWithMidiGetsItsMidiChoices)
    {
        // The graph takes and makes MIDI.
        juce::AudioProcessorGraph processor;
        TavineAudioSettings settings (devices, processor, inputMuted, true);
        const auto texts = textsIn (settings);

        EXPECT_TRUE (texts.contains ("Active MIDI inputs:")) << texts.joinIntoString (" | ").toStdString();
        EXPECT_TRUE (texts.contains ("MIDI Output:"));
        EXPECT_EQ (TavineAudioSettings::getTitle (processor), "Audio/MIDI Settings");
    }
} // namespace
