#pragma once
// The program's start, in order: the application object, its title, the main
// form, the message loop. Whatever escapes is shown in the application's
// exception display; the result is always 0.

// `createMainForm` makes the main form (the tests hand in failing ones).
int RunProgram(void (*createMainForm)());

// The title of the application and of its window.
extern const char kApplicationTitle[];
