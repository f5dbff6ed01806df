#include <windows.h>

#include "app/Entry.h"
#include "app/UnitMain.h"
#include "ui/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return RunProgram([] { Application->CreateForm(FormMain); });
}
