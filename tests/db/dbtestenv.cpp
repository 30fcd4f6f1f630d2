#include "dbtestenv.h"

#include <QFile>

#include "common/codepage.h"
#include "db/query.h"
#include "db/sqlitedriver.h"

namespace korvel::db::test {

QStringList EngineFixture::writeAliases(const QString& text) {
  QFile file(aliasPath());
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(QByteArray::fromStdString(toCp932(text)));
  file.close();
  return Engine::instance().loadAliases();
}

QString EngineFixture::sqliteAlias(const QStringList& statements, const QString& name) {
  const QString file = path(name + QStringLiteral(".sqlite"));
  {
    QSqlDatabase db = SqliteDriver::openFile(file, QStringLiteral("fixture"));
    QSqlQuery q(db);
    for (const auto& s : statements) EXPECT_TRUE(q.exec(s)) << s.toStdString();
    q.finish();
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
  writeAliases(QStringLiteral("[%1]\nTYPE=SQLITE\nPATH=%2\n").arg(name, file));
  return name;
}

QString pgConnectionString() { return QString::fromLocal8Bit(qgetenv("KORVEL_TEST_PG")); }

QMap<QString, QString> pgParameters() {
  QMap<QString, QString> params;
  for (const auto& part : pgConnectionString().split(u' ', Qt::SkipEmptyParts)) {
    const int eq = part.indexOf(u'=');
    if (eq > 0) params[part.left(eq)] = part.mid(eq + 1);
  }
  return params;
}

QString pgAliasSection(const QString& alias) {
  const auto p = pgParameters();
  return QStringLiteral("[%1]\nTYPE=POSTGRESQL\nSERVER NAME=%2\nPORT=%3\nDATABASE NAME=%4\nUSER NAME=%5\n"
                        "LOGIN PROMPT=FALSE\n")
      .arg(alias, p.value(QStringLiteral("host")), p.value(QStringLiteral("port")),
           p.value(QStringLiteral("dbname")), p.value(QStringLiteral("user")));
}

QString odbcAliasSection(const QString& alias) {
  const auto p = pgParameters();
  return QStringLiteral("[%1]\nTYPE=ODBC\nODBC DSN=DRIVER={PostgreSQL Unicode};SERVER=%2;PORT=%3;DATABASE=%4;UID=%5;BoolsAsChar=0\n"
                        "LOGIN PROMPT=FALSE\n")
      .arg(alias, p.value(QStringLiteral("host")), p.value(QStringLiteral("port")),
           p.value(QStringLiteral("dbname")), p.value(QStringLiteral("user")));
}

}  // namespace korvel::db::test
