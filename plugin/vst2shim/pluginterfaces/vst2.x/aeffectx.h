#pragma once

// Everything of the VST 2.4 interface comes in through aeffect.h.
#include "aeffect.h"
