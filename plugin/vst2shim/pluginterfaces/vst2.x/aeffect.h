#pragma once

// The VST 2.4 interface, taken from Debian's fst headers (fst-dev).
//
// fst declares the speaker list of a speaker arrangement as a flexible array, while the
// framework's VST 2 code (plug-in side and host side alike) sizes an arrangement as if eight
// speakers were stored inline, as the original interface did. Built on the flexible array, a
// host allocates too little and the plug-in writes past the end in prepareToPlay. So the
// arrangement gets its full, eight-speaker size here, and the pin record its full size too.
//
// This file is included inside the framework's own namespace; it must not include system
// headers.

#ifndef FST2VST
#define FST2VST 1
#endif

// fst marks the values it has not yet documented as deprecated, to remind its own authors;
// for us that is noise in every file that includes the interface.
#ifndef FST_DONT_DEPRECATE_UNKNOWN
#define FST_DONT_DEPRECATE_UNKNOWN 1
#endif

// fst also leaves some opcodes it has not yet documented at placeholder values (100000 and
// up). Hosts send the real numbers: with the placeholders the plug-in would never answer the
// keys-required query (57), never learn about bypass (44) and never tell a host that its
// latency changed (13). The opcodes the framework uses get their real values here; the
// placeholders are renamed out of the way first.
#define effSetBypass TavineFstPlaceholder_effSetBypass
#define effGetTailSize TavineFstPlaceholder_effGetTailSize
#define effIdle TavineFstPlaceholder_effIdle
#define effKeysRequired TavineFstPlaceholder_effKeysRequired
#define effEditDraw TavineFstPlaceholder_effEditDraw
#define effEditMouse TavineFstPlaceholder_effEditMouse
#define effEditTop TavineFstPlaceholder_effEditTop
#define effEditSleep TavineFstPlaceholder_effEditSleep
#define effConnectInput TavineFstPlaceholder_effConnectInput
#define effConnectOutput TavineFstPlaceholder_effConnectOutput
#define effBeginSetProgram TavineFstPlaceholder_effBeginSetProgram
#define effEndSetProgram TavineFstPlaceholder_effEndSetProgram
#define effGetNumMidiInputChannels TavineFstPlaceholder_effGetNumMidiInputChannels
#define effGetNumMidiOutputChannels TavineFstPlaceholder_effGetNumMidiOutputChannels
#define audioMasterIdle TavineFstPlaceholder_audioMasterIdle
#define audioMasterPinConnected TavineFstPlaceholder_audioMasterPinConnected
#define audioMasterIOChanged TavineFstPlaceholder_audioMasterIOChanged
#define audioMasterNeedIdle TavineFstPlaceholder_audioMasterNeedIdle
#define audioMasterGetInputLatency TavineFstPlaceholder_audioMasterGetInputLatency
#define audioMasterGetOutputLatency TavineFstPlaceholder_audioMasterGetOutputLatency
#define audioMasterVendorSpecific TavineFstPlaceholder_audioMasterVendorSpecific
#define audioMasterUpdateDisplay TavineFstPlaceholder_audioMasterUpdateDisplay
#define VstSpeakerArrangement TavineFlexibleVstSpeakerArrangement
#define VstPinProperties TavineShortVstPinProperties

// fst leaves four notes to its own authors as #warning lines ("document origin of ..."), which
// it shows to GCC and clang alone. GCC prints #warning even from a system header, and GCC 12's
// diagnostic pragmas cannot stop it, so every file that includes the interface would print
// them as if they were ours. The compilers' names are hidden from fst for its inclusion alone.
// fst looks at them for nothing else but marking undocumented names deprecated, which
// FST_DONT_DEPRECATE_UNKNOWN (above) turns off either way, so the declarations are the same.
#pragma push_macro("__GNUC__")
#pragma push_macro("__clang__")
#undef __GNUC__
#undef __clang__
#include <pluginterfaces/fst/fst.h>
#pragma pop_macro("__clang__")
#pragma pop_macro("__GNUC__")
#undef VstSpeakerArrangement
#undef VstPinProperties
#undef effSetBypass
#undef effGetTailSize
#undef effIdle
#undef effKeysRequired
#undef effEditDraw
#undef effEditMouse
#undef effEditTop
#undef effEditSleep
#undef effConnectInput
#undef effConnectOutput
#undef effBeginSetProgram
#undef effEndSetProgram
#undef effGetNumMidiInputChannels
#undef effGetNumMidiOutputChannels
#undef audioMasterIdle
#undef audioMasterPinConnected
#undef audioMasterIOChanged
#undef audioMasterNeedIdle
#undef audioMasterGetInputLatency
#undef audioMasterGetOutputLatency
#undef audioMasterVendorSpecific
#undef audioMasterUpdateDisplay

#ifndef TAVINE_VST2_OPCODES_DEFINED
#define TAVINE_VST2_OPCODES_DEFINED 1

constexpr t_fstPluginOpcode effSetBypass = (t_fstPluginOpcode) 44;
constexpr t_fstPluginOpcode effGetTailSize = (t_fstPluginOpcode) 52;
constexpr t_fstPluginOpcode effIdle = (t_fstPluginOpcode) 53;
constexpr t_fstPluginOpcode effKeysRequired = (t_fstPluginOpcode) 57;
constexpr t_fstPluginOpcode effEditDraw = (t_fstPluginOpcode) 16;
constexpr t_fstPluginOpcode effEditMouse = (t_fstPluginOpcode) 17;
constexpr t_fstPluginOpcode effEditTop = (t_fstPluginOpcode) 20;
constexpr t_fstPluginOpcode effEditSleep = (t_fstPluginOpcode) 21;
constexpr t_fstPluginOpcode effConnectInput = (t_fstPluginOpcode) 31;
constexpr t_fstPluginOpcode effConnectOutput = (t_fstPluginOpcode) 32;
constexpr t_fstPluginOpcode effBeginSetProgram = (t_fstPluginOpcode) 67;
constexpr t_fstPluginOpcode effEndSetProgram = (t_fstPluginOpcode) 68;
constexpr t_fstPluginOpcode effGetNumMidiInputChannels = (t_fstPluginOpcode) 78;
constexpr t_fstPluginOpcode effGetNumMidiOutputChannels = (t_fstPluginOpcode) 79;

constexpr t_fstHostOpcode audioMasterIdle = (t_fstHostOpcode) 3;
constexpr t_fstHostOpcode audioMasterPinConnected = (t_fstHostOpcode) 4;
constexpr t_fstHostOpcode audioMasterIOChanged = (t_fstHostOpcode) 13;
constexpr t_fstHostOpcode audioMasterNeedIdle = (t_fstHostOpcode) 14;
constexpr t_fstHostOpcode audioMasterGetInputLatency = (t_fstHostOpcode) 18;
constexpr t_fstHostOpcode audioMasterGetOutputLatency = (t_fstHostOpcode) 19;
constexpr t_fstHostOpcode audioMasterVendorSpecific = (t_fstHostOpcode) 35;
constexpr t_fstHostOpcode audioMasterUpdateDisplay = (t_fstHostOpcode) 42;

#endif

#ifndef TAVINE_VST2_SPEAKER_ARRANGEMENT_DEFINED
#define TAVINE_VST2_SPEAKER_ARRANGEMENT_DEFINED 1

struct VstSpeakerArrangement
{
    int type;
    int numChannels;
    VstSpeakerProperties speakers[8];
};

static_assert (sizeof (VstSpeakerProperties) == 112, "the interface fixes a speaker's record at 112 bytes");

// fst's pin record stops after the short label, where the interface has 48 more reserved
// bytes; and the framework writes one byte past the short label's eight (its terminating
// zero). With fst's size a plug-in writes past the end of the host's record.
struct VstPinProperties
{
    char label[64];
    int flags;
    int arrangementType;
    char shortLabel[8];
    char future[48];
};

static_assert (sizeof (VstPinProperties) == 128, "the interface fixes a pin's record at 128 bytes");
static_assert (sizeof (VstSpeakerArrangement) == 8 + 8 * 112, "an arrangement holds eight speakers inline");

#endif
