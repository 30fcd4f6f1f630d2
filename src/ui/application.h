#pragma once
// The program's application object. An exception that escapes an event
// handler would otherwise end the program; here it is shown to the user as
// an error box and the event loop goes on, so the window stays usable.

#include <QApplication>

namespace korvel::ui {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace korvel::ui
