// Melodek's entry point: one application object for the whole run.
#include <windows.h>

#include "app/player_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CPlayerApp app;
  return app.Run(instance);
}
