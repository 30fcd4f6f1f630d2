#pragma once
// The program's own user manual, bundled with it and shown in a help window
// (modeless; one window, brought to the front when shown again).

class QWidget;
class QTextBrowser;

namespace korvel {

// Shows the manual at its contents.
void showManual(QWidget* parent);
// The help window's browser, or nullptr before the manual was first shown.
QTextBrowser* manualBrowser();

}  // namespace korvel
