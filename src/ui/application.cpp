#include "ui/application.h"

#include <exception>

#include "db/engineerror.h"
#include "prompt/prompt.h"

namespace korvel::ui {
namespace {

// Exception texts of the program are UTF-8; the engine's carry entries.
QString errorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const db::EngineError& e) {
    return e.lastMessage();
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("予期しないエラーが発生しました");
  }
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    showError(errorText(std::current_exception()));
  }
  // The event counts as handled: it is not delivered again.
  return true;
}

}  // namespace korvel::ui
