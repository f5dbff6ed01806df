#include "app/Entry.h"

#include "ui/Application.h"

const char kApplicationTitle[] = "MURAVA电台";

int RunProgram(void (*createMainForm)()) {
  try {
    Application->Initialize();
    Application->SetTitle(kApplicationTitle);
    createMainForm();
    Application->Run();
  } catch (Exception& exception) {
    Application->ShowException(exception);
  } catch (...) {
    // Anything else is shown as the layer's own exception, without a text.
    try {
      throw Exception(AnsiString());
    } catch (Exception& exception) {
      Application->ShowException(exception);
    }
  }
  return 0;
}
