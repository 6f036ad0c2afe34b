#include "EditorSettings.h"

#include <algorithm>

namespace
{
    const char* const zoomKey = "zoom";

    juce::PropertiesFile::Options options()
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "Tavine";
        options.filenameSuffix = ".editor.settings";
        options.osxLibrarySubFolder = "Application Support";
        options.folderName = "~/.config";
        options.storageFormat = juce::PropertiesFile::storeAsXML;
        return options;
    }
} // namespace

bool EditorSettings::isOffered (float zoom)
{
    return std::find (std::begin (zooms), std::end (zooms), zoom) != std::end (zooms);
}

juce::File EditorSettings::file()
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("TAVINE_SETTINGS_DIR", {});

    if (folder.isNotEmpty() && juce::File::isAbsolutePath (folder))
        return juce::File (folder).getChildFile ("Tavine" + options().filenameSuffix);

    return options().getDefaultFile();
}

float EditorSettings::loadZoom()
{
    const juce::PropertiesFile settings (file(), options());
    const auto zoom = (float) settings.getDoubleValue (zoomKey, 1.0);
    return isOffered (zoom) ? zoom : 1.0f;
}

bool EditorSettings::saveZoom (float zoom)
{
    if (! isOffered (zoom))
        return false;

    const auto target = file();

    if (! target.getParentDirectory().createDirectory())
        return false;

    juce::PropertiesFile settings (target, options());
    settings.setValue (zoomKey, (double) zoom);
    return settings.saveIfNeeded();
}
