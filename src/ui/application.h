#pragma once
// The program's application object. An exception that escapes an event
// handler would otherwise end the program; here it is shown to the user as
// an error box and the event loop goes on, so the window stays usable.

#include <QApplication>
#include <exception>

namespace korvel::ui {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// The text shown for an exception: an engine error's last entry, else the
// UTF-8 text of what().
QString exceptionText(std::exception_ptr error);

}  // namespace korvel::ui
