#include "db/serverlogin.h"

#include <QSqlError>

#include "db/aliasregistry.h"
#include "db/driver.h"
#include "db/engineerror.h"
#include "prompt/prompt.h"

namespace korvel::db {

ServerLogin openWithLogin(QSqlDatabase& db, const Alias& alias, const QString& connectionName) {
  QString user = alias.param(QStringLiteral("USER NAME"));
  QString password;
  const bool ask = alias.param(QStringLiteral("LOGIN PROMPT")).compare(u"FALSE", Qt::CaseInsensitive) != 0;
  QStringList problem;
  if (ask) {
    const LoginAnswer answer = prompt().login({alias.name, user});
    if (!answer.accepted)
      problem << QStringLiteral("Cannot connect to alias %1").arg(alias.name)
              << QStringLiteral("Login cancelled");
    user = answer.userName;
    password = answer.password;
  }
  if (problem.isEmpty()) {
    if (!user.isEmpty()) db.setUserName(user);
    if (!password.isEmpty()) db.setPassword(password);
    if (!db.open())
      problem = errorEntries(db.lastError(), QStringLiteral("Cannot connect to alias %1").arg(alias.name));
    db.setPassword(QString());  // only the returned login keeps it, in memory
  }
  if (problem.isEmpty())
    return ServerLogin{db.driverName(), db.databaseName(), db.hostName(), db.port(),
                       db.userName(), password, db.connectOptions()};
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(connectionName);
  throw EngineError(problem);
}

}  // namespace korvel::db
