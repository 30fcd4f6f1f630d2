#include "db/engineerror.h"

namespace korvel::db {

EngineError::EngineError(const QString& message)
    : EngineError(QStringList{message}) {}

EngineError::EngineError(const QStringList& entries)
    : std::runtime_error(entries.isEmpty() ? std::string("engine error")
                                           : entries.last().toStdString()),
      entries_(entries) {}

}  // namespace korvel::db
