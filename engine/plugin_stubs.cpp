// Do-nothing host members for the plug-ins.
#include "engine/plugin_stubs.h"

namespace {
void MELODEK_PLUGIN_CALL SetInfoStub(int, int, int, int) {}
void MELODEK_PLUGIN_CALL SaVsaInitStub(int, int) {}
void MELODEK_PLUGIN_CALL SaVsaDeInitStub() {}
void MELODEK_PLUGIN_CALL AddPcmDataStub(void*, int, int, int) {}
int MELODEK_PLUGIN_CALL SaGetModeStub() { return 0; }
int MELODEK_PLUGIN_CALL SaAddStub(void*, int, int) { return 0; }
int MELODEK_PLUGIN_CALL VsaGetModeStub(int* specNch, int* waveNch) {
  if (specNch != nullptr) *specNch = 0;
  if (waveNch != nullptr) *waveNch = 0;
  return 0;
}
int MELODEK_PLUGIN_CALL VsaAddStub(void*, int) { return 0; }
void MELODEK_PLUGIN_CALL VsaSetInfoStub(int, int) {}
int MELODEK_PLUGIN_CALL DspIsActiveStub() { return 0; }
int MELODEK_PLUGIN_CALL IsPausedStub() { return 0; }
// The samples pass unchanged.
int MELODEK_PLUGIN_CALL DspDoSamplesStub(short*, int numsamples, int, int, int) { return numsamples; }
}  // namespace

void InstallHostStubs(In_Module& plugin) {
  plugin.SetInfo = &SetInfoStub;
  plugin.SAVSAInit = &SaVsaInitStub;
  plugin.SAAddPCMData = &AddPcmDataStub;
  plugin.VSAAddPCMData = &AddPcmDataStub;
  plugin.VSASetInfo = &VsaSetInfoStub;
  plugin.dsp_isactive = &DspIsActiveStub;
  plugin.SAVSADeInit = &SaVsaDeInitStub;
  plugin.SAAdd = &SaAddStub;
  plugin.VSAAdd = &VsaAddStub;
  plugin.SAGetMode = &SaGetModeStub;
  plugin.VSAGetMode = &VsaGetModeStub;
  if (plugin.IsPaused == nullptr) plugin.IsPaused = &IsPausedStub;
  if (plugin.dsp_dosamples == nullptr) plugin.dsp_dosamples = &DspDoSamplesStub;
}
