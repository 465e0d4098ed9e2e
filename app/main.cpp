// Melodek's entry point: one application object for the whole run.
#include <windows.h>

#include "app/player_app.h"
#include "ui/image_plugins.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The image plug-ins were loaded during static start-up; this keeps their
  // loader in the program (the call does nothing the second time).
  LoadImagePlugins();
  CPlayerApp app;
  return app.Run(instance);
}
