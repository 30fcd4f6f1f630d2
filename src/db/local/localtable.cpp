#include "db/local/localtable.h"

namespace korvel::db::local {

void throwFileError(const QString& path, const QString& where, const QString& message) {
  const QString place = where.isEmpty() ? path : QStringLiteral("%1, %2").arg(path, where);
  throw EngineError(QStringList{QStringLiteral("Cannot read %1").arg(path),
                                QStringLiteral("%1: %2").arg(place, message)});
}

}  // namespace korvel::db::local
