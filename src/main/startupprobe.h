#pragma once
// For timing the program from outside (bench/main/startup_bench): with
// KORVEL_SHOW_AND_CLOSE set, the program prints "shown" on its standard
// output once the main window has been shown and painted and the event loop
// is idle, then "closing" and closes the main window as F9 does.

class QWidget;

namespace korvel {

bool startupProbeRequested();
void installStartupProbe(QWidget* mainWindow);

}  // namespace korvel
