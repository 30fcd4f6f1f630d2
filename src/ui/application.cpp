#include "ui/application.h"

#include <exception>

#include "db/engineerror.h"
#include "prompt/prompt.h"

namespace korvel::ui {

// Exception texts of the program are UTF-8; the engine's carry entries.
QString exceptionText(std::exception_ptr error) {
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

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // Without TZ the C library looks at /etc/localtime again for every local
  // time conversion, which made posting a date-time cost more than writing
  // the row. Naming the same file lets it read the zone once.
  if (!qEnvironmentVariableIsSet("TZ")) qputenv("TZ", ":/etc/localtime");
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    showError(exceptionText(std::current_exception()));
  }
  // The event counts as handled: it is not delivered again.
  return true;
}

}  // namespace korvel::ui
