#pragma once
// The error every engine operation raises. It carries a list of entries, as a
// database engine reports a chain of messages; callers read the count and the
// last entry's message.

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace korvel::db {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const QString& message);
  explicit EngineError(const QStringList& entries);

  const QStringList& entries() const { return entries_; }
  int count() const { return static_cast<int>(entries_.size()); }
  QString lastMessage() const { return entries_.isEmpty() ? QString() : entries_.last(); }

 private:
  QStringList entries_;
};

}  // namespace korvel::db
