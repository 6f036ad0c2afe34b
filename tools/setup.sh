#!/usr/bin/env bash
# Installs what Tavine needs, builds it (Release) and installs the plug-ins where Linux hosts
# look for them: VST3 in ~/.vst3, VST2 in ~/.vst, LV2 in ~/.lv2, the standalone and
# tavine-render in ~/.local/bin. Then renders a short demo through the installed VST3, so the
# first run ends with something to listen to and look at (in $TAVINE_DEMO_DIR, else
# ~/tavine-demo). Run again at any time to rebuild and reinstall.
set -euo pipefail

cd "$(dirname "$0")/.."
source tools/dependencies.sh
tavine_install_dependencies

build=${TAVINE_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target Tavine_VST3 Tavine_VST Tavine_LV2 Tavine_Standalone tavine_render

artefacts="$build/plugin/Tavine_artefacts/Release"

mkdir -p ~/.vst3 ~/.vst ~/.lv2 ~/.local/bin
rm -rf ~/.vst3/Tavine.vst3 ~/.lv2/Tavine.lv2
cp -R "$artefacts/VST3/Tavine.vst3" ~/.vst3/
cp "$artefacts/VST/Tavine.so" ~/.vst/Tavine.so
cp -R "$artefacts/LV2/Tavine.lv2" ~/.lv2/
cp "$artefacts/Standalone/Tavine" ~/.local/bin/Tavine
cp "$build/tools/render/tavine-render" ~/.local/bin/tavine-render

echo
echo "Installed:"
echo "  VST3        ~/.vst3/Tavine.vst3"
echo "  VST2        ~/.vst/Tavine.so"
echo "  LV2         ~/.lv2/Tavine.lv2"
echo "  Standalone  ~/.local/bin/Tavine"
echo "  Renderer    ~/.local/bin/tavine-render   (tavine-render --help)"

# The demo goes through the installed VST3, as a host would load it: the check that what was
# just installed works.
echo
~/.local/bin/tavine-render --demo --plugin ~/.vst3/Tavine.vst3

# tavine-render and Tavine are run by name everywhere in the README, which only works when
# ~/.local/bin is on PATH; on many systems it is not (Debian's ~/.profile adds it only at the
# next login, and only if the folder existed then). Said last, so that it is not lost above the
# demo's report.
case ":$PATH:" in
    *":$HOME/.local/bin:"* | *":$HOME/.local/bin/:"*) ;;
    *)
        case "$(basename "${SHELL:-sh}")" in
            bash) profile="~/.bashrc" afterwards="open a new terminal" ;;
            zsh) profile="~/.zshrc" afterwards="open a new terminal" ;;
            *) profile="~/.profile" afterwards="log in again" ;;
        esac
        echo
        echo "Note: ~/.local/bin is not on your PATH, so typing tavine-render or Tavine gives"
        echo "\"command not found\". Add this line to $profile, then $afterwards:"
        echo
        echo '  export PATH="$HOME/.local/bin:$PATH"'
        echo
        echo "(Or run that line now to use them in this terminal only.)"
        ;;
esac
