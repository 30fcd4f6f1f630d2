#pragma once
// A dataset over an SQL statement of an alias.

#include <QString>
#include <QStringList>

#include "db/dataset.h"

namespace korvel::db {

struct SelectShape;

class Query : public Dataset {
  Q_OBJECT
 public:
  explicit Query(QObject* parent = nullptr);
  ~Query() override;

  // The statement, as lines; they are joined with line breaks to run.
  QStringList& sql() { return sql_; }
  const QStringList& sql() const { return sql_; }
  void setSql(const QString& text);  // replaces all lines by text's lines
  QString sqlText() const;

  // With requestLive, open() raises EngineError when the result's rows cannot
  // be located for writing (joins, aggregates, no key ...).
  bool requestLive() const { return requestLive_; }
  void setRequestLive(bool live) { requestLive_ = live; }
  bool live() const;  // the open result is editable

  void prepare();
  void unprepare();
  bool prepared() const { return prepared_; }
  // Runs a statement that returns no rows; returns the number of rows affected.
  int execSql();

 protected:
  void openCursor() override;

 private:
  void renameCountColumns(const SelectShape& shape);
  QStringList sql_;
  bool requestLive_ = false;
  bool prepared_ = false;
};

}  // namespace korvel::db
