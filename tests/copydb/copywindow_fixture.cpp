#include "copywindow_fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSqlError>
#include <QSqlRecord>

#include "../db/dbtestenv.h"
#include "common/codepage.h"
#include "db/demodatabase.h"
#include "db/engine.h"
#include "controls/spbtn2.h"
#include "db/sqlitedriver.h"

using korvel::db::Engine;

void CopyWindowTest::SetUp() {
  ASSERT_TRUE(dir_.isValid());
  qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toUtf8());
  qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
  qputenv("KORVEL_ALIASES", dir_.filePath(QStringLiteral("aliases.ini")).toUtf8());
  previousDir_ = QDir::currentPath();
  QDir::setCurrent(dir_.path());
}

void CopyWindowTest::TearDown() {
  form.reset();
  Engine::instance().closeConnections();
  QDir::setCurrent(previousDir_);
}

void CopyWindowTest::writeAliases(bool withServer, bool withDemo) {
  QString text;
  for (const char* name : {"SRC", "DST"}) {
    const QString file = path(QString::fromLatin1(name).toLower() + QStringLiteral(".sqlite"));
    if (!QFile::exists(file)) {
      {
        QSqlDatabase db = korvel::db::SqliteDriver::openFile(file, QStringLiteral("fixture"));
        db.close();
      }
      QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    }
    text += QStringLiteral("[%1]\nTYPE=SQLITE\nPATH=%2\n").arg(QString::fromLatin1(name), file);
  }
  QDir().mkpath(path(QStringLiteral("tables")));
  text += QStringLiteral("[FILES]\nTYPE=PARADOX\nPATH=%1\n").arg(path(QStringLiteral("tables")));
  if (withDemo) {
    const QString demo = path(QStringLiteral("demo.sqlite"));
    if (!QFile::exists(demo)) korvel::db::createDemoDatabase(demo);
    text += QStringLiteral("[DEMO]\nTYPE=SQLITE\nPATH=%1\n").arg(demo);
  }
  if (withServer)
    text += korvel::db::test::pgAliasSection(QStringLiteral("PG")) +
            korvel::db::test::odbcAliasSection(QStringLiteral("ODBCPG"));
  QFile aliases(path(QStringLiteral("aliases.ini")));
  ASSERT_TRUE(aliases.open(QIODevice::WriteOnly | QIODevice::Truncate));
  aliases.write(QByteArray::fromStdString(korvel::toCp932(text)));
  aliases.close();
  const QStringList problems = Engine::instance().loadAliases();
  ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

void CopyWindowTest::exec(const QString& alias, const QStringList& statements) {
  QSqlQuery q(Engine::instance().connection(alias));
  for (const QString& s : statements) ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
}

QStringList CopyWindowTest::rows(const QString& alias, const QString& sql) {
  QSqlQuery q(Engine::instance().connection(alias));
  EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
  QStringList found;
  while (q.next()) {
    QStringList values;
    for (int i = 0; i < q.record().count(); ++i)
      values << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
    found << values.join(u'|');
  }
  return found;
}

qint64 CopyWindowTest::count(const QString& alias, const QString& table) {
  const QStringList r = rows(alias, QStringLiteral("SELECT COUNT(*) FROM ") + table);
  return r.isEmpty() ? -1 : r.first().toLongLong();
}

void CopyWindowTest::numbered(const QString& alias, const QString& name, int n) {
  exec(alias, {QStringLiteral("DROP TABLE IF EXISTS ") + name,
               QStringLiteral("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))").arg(name),
               QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < %2) "
                              "INSERT INTO %1 SELECT i, 'n' || i FROM k")
                   .arg(name)
                   .arg(n)});
}

TFormCopyDB* CopyWindowTest::open() {
  form = std::make_unique<TFormCopyDB>();
  return form.get();
}

void CopyWindowTest::choose(const QString& sourceAlias, const QString& sourceTable,
                            const QString& destinationAlias, const QString& destinationTable) {
  auto pick = [](QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    if (index >= 0 && index != box->currentIndex()) box->setCurrentIndex(index);
    else if (index >= 0) box->currentIndexChanged(index);  // listed again, as a new choice does
    else box->setEditText(text);
  };
  pick(form->ComboBox_Alias, sourceAlias);
  pick(form->ComboBox_Tables, sourceTable);
  pick(form->ComboBox_Alias2, destinationAlias);
  pick(form->ComboBox_Tables2, destinationTable);
}

void CopyWindowTest::abortOnFirstProgress() {
  form->show();
  QObject::connect(form.get(), &TFormCopyDB::progressShown, form.get(), [this] {
    QWidget* button = form->SpeedButtonAbort;
    const QPoint at = button->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                          Qt::NoModifier));
  }, Qt::SingleShotConnection);
}

QStringList CopyWindowTest::logLines() const {
  QFile file(form->errorLogPath());
  if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("<no log>")};
  const QByteArray bytes = file.readAll();
  QStringList lines = korvel::fromCp932(bytes.toStdString()).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QStringList CopyWindowTest::memoLines() const {
  const QString text = form->Memo1->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(u'\n');
}
