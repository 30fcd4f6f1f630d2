#include "db/engineerror.h"

namespace korvel::db {

EngineError::EngineError(const QString& message, EngineErrorKind kind)
    : EngineError(QStringList{message}, kind) {}

EngineError::EngineError(const QStringList& entries, EngineErrorKind kind)
    : std::runtime_error(entries.isEmpty() ? std::string("engine error")
                                           : entries.last().toStdString()),
      entries_(entries),
      kind_(kind) {}

}  // namespace korvel::db
