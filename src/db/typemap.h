#pragma once
// How each driver's column types become field kinds (and so field class
// names). The map, per driver:
//
//   kind (class name)             SQLite declared type        PostgreSQL type                ODBC SQL type
//   String   (TStringField)       CHAR(n), VARCHAR(n) ...     char(n), varchar(n), name      SQL_(W)CHAR, SQL_(W)VARCHAR
//   Memo     (TMemoField)         TEXT, CLOB, VARCHAR w/o n   text, varchar w/o length, json SQL_(W)LONGVARCHAR
//   Smallint (TSmallintField)     SMALLINT, TINYINT           int2                           SQL_SMALLINT, SQL_TINYINT
//   Integer  (TIntegerField)      INT, INTEGER, BIGINT ...    int4, int8, oid                SQL_INTEGER, SQL_BIGINT
//   Float    (TFloatField)        REAL, FLOAT, DOUBLE         float4, float8                 SQL_REAL, SQL_FLOAT, SQL_DOUBLE
//   Currency (TCurrencyField)     MONEY, CURRENCY             money, numeric(19,4)           SQL_DECIMAL/NUMERIC (19,4)
//   Decimal  (TBCDField)          NUMERIC, DECIMAL (below)    numeric (below)                SQL_DECIMAL/NUMERIC (below)
//   Boolean  (TBooleanField)      BOOL, BOOLEAN               bool                           SQL_BIT
//   Date     (TDateField)         DATE                        date                           SQL_TYPE_DATE
//   Time     (TTimeField)         TIME                        time, timetz                   SQL_TYPE_TIME
//   DateTime (TDateTimeField)     DATETIME, TIMESTAMP         timestamp, timestamptz         SQL_TYPE_TIMESTAMP
//   Blob     (TBlobField)         BLOB                        bytea                          SQL_(LONG)(VAR)BINARY
//
// DECIMAL/NUMERIC(p,s) on every driver: s > 0 -> Decimal, except (19,4) ->
// Currency (the form createTable writes for currency); s = 0 -> Smallint when
// p <= 4, Integer when p <= 9, Decimal otherwise; no precision -> Decimal.
// Decimal and Currency values are exact decimal texts (decimaltext.h).
// A column whose type is not known (an expression) takes the kind of the
// value the driver reports, else String.
//
// Tables built by the table creation window. Its field types (the ft names of
// a type word, see tablemake/typewords.h) become field definitions of these
// kinds, and each driver's columnType() writes the column type:
//
//   field type  kind      SQLite       PostgreSQL        ODBC: ORACLE  MSACCESS    other
//   ftString    String    VARCHAR(n)   VARCHAR(n)        VARCHAR2(n)   TEXT(n)     VARCHAR(n)
//   ftSmallint  Smallint  SMALLINT     SMALLINT          NUMBER(5)     SHORT       SMALLINT
//   ftInteger   Integer   INTEGER      INTEGER           NUMBER(10)    LONG        INTEGER
//   ftAutoInc   Integer   INTEGER      INTEGER           NUMBER(10)    LONG        INTEGER
//   ftFloat     Float     DOUBLE       DOUBLE PRECISION  NUMBER        DOUBLE      FLOAT
//   ftCurrency  Currency  CURRENCY     NUMERIC(19,4)     NUMBER(19,4)  CURRENCY    DECIMAL(19,4)
//   ftBCD       Currency  CURRENCY     NUMERIC(19,4)     NUMBER(19,4)  CURRENCY    DECIMAL(19,4)
//   ftBoolean   Boolean   BOOLEAN      BOOLEAN           NUMBER(1)     BIT         SMALLINT
//   ftDate      Date      DATE         DATE              DATE          DATETIME    DATE
//   ftTime      Time      TIME         TIME              DATE          DATETIME    TIME
//   ftDateTime  DateTime  DATETIME     TIMESTAMP         TIMESTAMP     DATETIME    TIMESTAMP
//   ftMemo      Memo      TEXT         TEXT              CLOB          MEMO        VARCHAR(4000)
//   ftFmtMemo   Blob      BLOB         BYTEA             BLOB          LONGBINARY  BLOB
//   ftGraphic   Blob      BLOB         BYTEA             BLOB          LONGBINARY  BLOB
//
// n is the digits of the grid row (255 when none are given). An ODBC source
// that reports POSTGRESQL gets the PostgreSQL types. Field definitions carry
// no automatic numbering, so ftAutoInc is a plain integer column; ftBCD, an
// exact decimal, takes the exact currency type. On SQLite and PostgreSQL
// every column reads back (map above) as the kind it was built from.

#include <QString>
#include <QMetaType>

#include "db/fieldkind.h"

namespace korvel::db {

struct ColumnMeta {
  FieldKind kind = FieldKind::String;
  int size = 0;       // characters for strings
  int precision = 0;  // digits for numbers
  int scale = 0;      // decimals
  bool required = false;
  QString name;  // the column's name where the Qt driver alters it, else empty
};

ColumnMeta sqliteColumnMeta(const QString& declaredType, QMetaType valueType);
ColumnMeta postgresColumnMeta(int typeOid, int length, int precision);
ColumnMeta odbcColumnMeta(int sqlType, int length, int precision);
ColumnMeta numericColumnMeta(int precision, int scale);
// The kind a value type suggests when the column type says nothing.
FieldKind kindOfValueType(QMetaType type);

}  // namespace korvel::db
