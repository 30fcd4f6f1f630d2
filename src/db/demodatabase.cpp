#include "db/demodatabase.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include "db/driver.h"
#include "db/engineerror.h"
#include "db/sqlitedriver.h"

namespace korvel::db {
namespace {

const char* const kSchema[] = {
    "CREATE TABLE EMPLOYEE ("
    " EMP_NO INTEGER NOT NULL PRIMARY KEY,"
    " EMP_NAME VARCHAR(20) NOT NULL,"
    " EMP_KANA VARCHAR(40),"
    " DEPT_CODE SMALLINT,"
    " BIRTH_DATE DATE,"
    " HIRED_AT DATETIME,"
    " SALARY NUMERIC(9,0),"
    " ALLOWANCE CURRENCY,"
    " HEIGHT DOUBLE,"
    " ACTIVE BOOLEAN,"
    " NOTE TEXT)",
    "CREATE TABLE DEPT_LOG ("
    " LOGGED_AT DATETIME,"
    " DEPT_CODE SMALLINT,"
    " MESSAGE VARCHAR(60))",
    "CREATE TABLE ITEM ("
    " ITEM_CODE VARCHAR(8) NOT NULL PRIMARY KEY,"
    " ITEM_NAME VARCHAR(30),"
    " PRICE NUMERIC(7,0),"
    " STOCK INTEGER,"
    " UPDATED_ON DATE)",
    "CREATE INDEX EMPLOYEE_KANA ON EMPLOYEE (EMP_KANA)",
};

struct Employee {
  int no;
  const char* name;
  const char* kana;
  int dept;
  const char* birth;
  const char* hired;
  int salary;
  double allowance;
  double height;
  bool active;
  const char* note;
};

const Employee kEmployees[] = {
    {1001, "山田 太郎", "ヤマダ タロウ", 10, "1980-04-12", "2003-04-01 09:00:00", 420000, 15000.5, 171.2, true, "営業部の主任。\n顧客対応を担当。"},
    {1002, "佐藤 花子", "サトウ ハナコ", 20, "1985-11-03", "2008-04-01 09:00:00", 380000, 12000, 158.4, true, "経理担当"},
    {1003, "鈴木 一郎", "スズキ イチロウ", 10, "1990-01-31", "2012-10-15 13:30:00", 350000, 8000.25, 175, true, ""},
    {1004, "高橋 美咲", "タカハシ ミサキ", 30, "1978-07-07", "2000-04-01 09:00:00", 510000, 20000, 162.8, false, "休職中"},
    {1005, "伊藤 健", "イトウ ケン", 20, "1995-02-28", "2018-04-02 10:00:00", 300000, 5000, 180.1, true, "髙橋さんの後任（﨑の字に注意）"},
};

void run(QSqlQuery& q, const QString& sql) { execOrThrow(q, sql, QStringLiteral("Cannot create the DEMO database")); }

void fill(QSqlDatabase& db) {
  QSqlQuery q(db);
  for (const char* sql : kSchema) run(q, QString::fromUtf8(sql));
  prepareOrThrow(q, QStringLiteral("INSERT INTO EMPLOYEE VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
                 QStringLiteral("Cannot create the DEMO database"));
  for (const auto& e : kEmployees) {
    for (const QVariant& v : {QVariant(e.no), QVariant(QString::fromUtf8(e.name)),
                              QVariant(QString::fromUtf8(e.kana)), QVariant(e.dept),
                              QVariant(QString::fromLatin1(e.birth)), QVariant(QString::fromLatin1(e.hired)),
                              QVariant(e.salary), QVariant(e.allowance), QVariant(e.height),
                              QVariant(e.active ? 1 : 0), QVariant(QString::fromUtf8(e.note))})
      q.addBindValue(v);
    execOrThrow(q, QStringLiteral("Cannot create the DEMO database"));
  }
  prepareOrThrow(q, QStringLiteral("INSERT INTO DEPT_LOG VALUES (?,?,?)"), QStringLiteral("Cannot create the DEMO database"));
  const char* const messages[] = {"部署を新設", "部署名を変更", "人員を異動", "部署を新設"};
  for (int i = 0; i < 4; ++i) {
    q.addBindValue(QStringLiteral("2024-0%1-15 10:0%2:00").arg(i + 1).arg(i));
    q.addBindValue((i % 3 + 1) * 10);
    q.addBindValue(QString::fromUtf8(messages[i]));
    execOrThrow(q, QStringLiteral("Cannot create the DEMO database"));
  }
  prepareOrThrow(q, QStringLiteral("INSERT INTO ITEM VALUES (?,?,?,?,?)"), QStringLiteral("Cannot create the DEMO database"));
  const QDate base(2024, 1, 1);
  for (int i = 1; i <= 1000; ++i) {
    q.addBindValue(QStringLiteral("A%1").arg(i, 5, 10, QLatin1Char('0')));
    q.addBindValue(QStringLiteral("商品%1").arg(i));
    q.addBindValue(100 + (i * 37) % 9900);
    q.addBindValue((i * 13) % 500);
    q.addBindValue(base.addDays(i % 365).toString(QStringLiteral("yyyy-MM-dd")));
    execOrThrow(q, QStringLiteral("Cannot create the DEMO database"));
  }
}

}  // namespace

void createDemoDatabase(const QString& path) {
  const QString temp = path + QStringLiteral(".creating");
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile::remove(temp);
  const QString connection = QStringLiteral("korvel-demo-create");
  QStringList problem;
  {
    QSqlDatabase db = SqliteDriver::openFile(temp, connection);
    try {
      db.transaction();
      fill(db);
      if (!db.commit()) throw EngineError(errorEntries(db.lastError(), QStringLiteral("Cannot create the DEMO database")));
    } catch (const EngineError& e) {
      problem = e.entries();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(connection);
  if (problem.isEmpty() && !QFile::rename(temp, path))
    problem << QStringLiteral("Cannot create the DEMO database %1").arg(path);
  if (problem.isEmpty()) return;
  QFile::remove(temp);
  throw EngineError(problem);
}

}  // namespace korvel::db
