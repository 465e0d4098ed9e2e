// The host members of a plug-in's module that Melodek does not implement
// (visualisation, DSP, info): filled with functions that do nothing, so no
// member a plug-in may call is ever left NULL.
#pragma once
#include "common/plugin_api.h"

void InstallHostStubs(In_Module& plugin);
