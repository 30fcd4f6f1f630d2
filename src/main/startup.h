#pragma once

class QApplication;

namespace korvel {

// Installs the widget prompt, sets the help file, creates the eleven windows
// in order, shows the main window and runs the event loop.
int runProgram(QApplication& app);

// Creates the eleven windows (main window first) and sets their global
// pointers; used by the program and by window tests.
void createWindows();
void destroyWindows();

// The fixed absolute path of the help file.
const char* helpFilePath();

}  // namespace korvel
