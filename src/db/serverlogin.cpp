#include "db/serverlogin.h"

#include <QSqlError>

#include "db/aliasregistry.h"
#include "db/driver.h"
#include "db/engineerror.h"
#include "prompt/prompt.h"

namespace korvel::db {

void openWithLogin(QSqlDatabase& db, const Alias& alias, const QString& connectionName) {
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
    db.setPassword(QString());  // the driver has used it; keep no copy
  }
  if (problem.isEmpty()) return;
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(connectionName);
  throw EngineError(problem);
}

}  // namespace korvel::db
