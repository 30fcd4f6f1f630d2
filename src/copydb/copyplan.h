#pragma once
// What one copy writes: the INSERT head with the destination columns whose
// names equal a source field's display name, and for each of them the
// source field it is read from and its type code.
//
//   INSERT INTO EMP ( CODE,NAME ) VALUES ( 12,'Smith' )
//   \___________ head ____________________/\ values /

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <vector>

#include "copydb/copyliteral.h"

namespace korvel::copydb {

struct DestinationField {
  QString name;
  QString className;  // "TStringField" ...
};

struct CopyColumn {
  QString name;          // the destination field name
  QString typeCode;      // "CH", "NU", "DA", "DT", "TI", "BL"
  int sourceIndex = -1;  // the source field read for it
};

struct CopyPlan {
  QString head;  // "INSERT INTO <table> ( a,b ) VALUES ( "
  LiteralForm form = LiteralForm::Oracle;
  std::vector<CopyColumn> columns;
};

// Source display names are matched exactly (case-sensitive) against the
// destination field names, in destination order; `writeName` writes a
// column name into the statement, `tableText` is the destination as written.
CopyPlan makeCopyPlan(const QString& tableText, const QStringList& sourceNames,
                      const std::vector<DestinationField>& destination, const QString& databaseKind,
                      const std::function<QString(const QString&)>& writeName);

struct RowStatement {
  QString text;
  bool readable = true;  // false: a value holds nothing of its column's type
};

// The statement for one source row (its values in source field order).
RowStatement rowStatement(const CopyPlan& plan, const QVector<QVariant>& row);

}  // namespace korvel::copydb
