#include "tableinfo/createscript.h"

#include <QFile>
#include <string>

#include "common/atomicwrite.h"
#include "common/codepage.h"

namespace korvel::tableinfo {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kIndent = QStringLiteral("        ");  // eight blanks

// A name an Oracle script may carry unquoted: letters (any script), digits,
// "_", "$" and "#".
bool isPlainName(const QString& name) {
  if (name.isEmpty()) return false;
  for (const QChar c : name)
    if (!c.isLetterOrNumber() && c != u'_' && c != u'$' && c != u'#') return false;
  return true;
}

QString scriptName(const QString& name) {
  if (name.isEmpty() || isPlainName(name)) return name;
  QString doubled = name;
  doubled.replace(u'"', QStringLiteral("\"\""));
  return u'"' + doubled + u'"';
}

QString oneLine(const QString& text) {
  QString line = text;
  for (QChar& c : line)
    if (c == u'\r' || c == u'\n') c = u' ';
  return line;
}

}  // namespace

QString ScriptTypePart(const QString& className, const QString& sizeText) {
  const QString type = className.toUpper();
  if (type.contains(u"STRING")) {
    bool ok = false;
    int size = sizeText.trimmed().toInt(&ok);
    if (!ok) size = 2;
    return QStringLiteral(" VARCHAR2(%1),  -- ").arg(size - 1);
  }
  if (type.contains(u"DATE")) return QStringLiteral(" DATE,  -- ");
  return QStringLiteral(" NUMBER(") + sizeText + QStringLiteral("),  -- ");
}

QString BuildCreateTableScript(const ScriptSource& source, const QString& stamp) {
  const QString table = scriptName(source.tableName);
  QString text;
  text += QStringLiteral("-- ") + stamp + kCrLf;
  text += QStringLiteral("-- ") + oneLine(source.tableComment) + kCrLf;
  text += QStringLiteral("DROP   TABLE ") + table + QStringLiteral(" CASCADE CONSTRAINTS;") + kCrLf;
  text += QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") + kCrLf;
  for (const ScriptField& field : source.fields)
    text += kIndent + scriptName(field.name) + kIndent + ScriptTypePart(field.className, field.sizeText) +
            oneLine(field.comment) + kCrLf;
  // The key's name is the table's name with a suffix: quoted like a name
  // when the table's is.
  text += QStringLiteral("CONSTRAINT ") + scriptName(source.tableName + QStringLiteral("_PRIMARY_KEY")) +
          QStringLiteral(" PRIMARY KEY (  )") + kCrLf;
  text += QStringLiteral(");") + kCrLf;
  return text;
}

bool WriteCreateTableScript(const QString& fileName, const QString& script, QString* error) {
  std::string bytes;
  int bad = -1;
  if (!tryToCp932(script, bytes, &bad)) {
    if (error)
      *error = QStringLiteral("シフトJISで書けない文字があります: 「%1」").arg(script.mid(bad, 1));
    return false;
  }
  std::string why;
  if (!writeFileAtomically(QFile::encodeName(fileName).toStdString(), bytes, &why)) {
    if (error) *error = QString::fromLocal8Bit(why);
    return false;
  }
  return true;
}

}  // namespace korvel::tableinfo
