// Melodek's entry point: one application object for the whole run.
#include <windows.h>

#include "app/player_app.h"
#include "app/startup_timeline.h"
#include "framework/system_text_codec.h"
#include "ui/image_plugins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  startup_timeline::Open();  // off unless MELODEK_STARTUP_TIMES names a file
  // The image plug-ins were loaded during static start-up; this keeps their
  // loader in the program (the call does nothing the second time).
  LoadImagePlugins();
  // Every text read from or written to files goes through the process's code
  // page (UTF-8 under the manifest): set before any other thread starts.
  static const SystemTextCodec textCodec;
  InstallProgramTextCodec(&textCodec);
  CPlayerApp app;
  return app.Run(instance);
}
