#pragma once
// The error every engine operation raises. It carries a list of entries, as a
// database engine reports a chain of messages; callers read the count and the
// last entry's message.

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace korvel::db {

// What kind of failure an error reports, for callers that answer one kind
// differently from the rest.
enum class EngineErrorKind {
  Failure,  // the database or the engine refused the operation
  NotLive,  // a query result was asked to be editable and cannot be; the
            // statement itself is sound and runs read-only
};

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const QString& message, EngineErrorKind kind = EngineErrorKind::Failure);
  explicit EngineError(const QStringList& entries, EngineErrorKind kind = EngineErrorKind::Failure);

  const QStringList& entries() const { return entries_; }
  int count() const { return static_cast<int>(entries_.size()); }
  QString lastMessage() const { return entries_.isEmpty() ? QString() : entries_.last(); }
  EngineErrorKind kind() const { return kind_; }

 private:
  QStringList entries_;
  EngineErrorKind kind_;
};

}  // namespace korvel::db
