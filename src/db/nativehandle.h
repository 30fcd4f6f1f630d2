#pragma once
// The driver's own handle (sqlite3*, pg_conn*, sqlite3_stmt* ...) out of the
// QVariant Qt hands out, or nullptr when the variant holds another type.

#include <QVariant>
#include <QtGlobal>

namespace korvel::db {

template <typename T>
T* nativeHandle(const QVariant& handle, const char* typeName) {
  if (!handle.isValid() || qstrcmp(handle.typeName(), typeName) != 0) return nullptr;
  return *static_cast<T* const*>(handle.constData());
}

}  // namespace korvel::db
