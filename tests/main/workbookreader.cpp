#include "workbookreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QXmlStreamReader>
#include <vector>

namespace {

// One member of the zip file, or an empty array (with *error set).
QByteArray zipMember(const QString& path, const QString& member, QString* error) {
  QProcess python;
  python.start(QStringLiteral("python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import sys, zipfile; "
                               "sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))"),
               path, member});
  if (!python.waitForFinished(30000) || python.exitCode() != 0) {
    *error = QStringLiteral("unzip %1 from %2: %3").arg(member, path, QString::fromUtf8(python.readAllStandardError()));
    return {};
  }
  return python.readAllStandardOutput();
}

// The style indexes whose number format shows a date or a time.
QSet<int> dateStyles(const QByteArray& styles) {
  QSet<int> dateFormats = {14, 15, 16, 17, 18, 19, 20, 21, 22};
  QSet<int> result;
  QXmlStreamReader xml(styles);
  bool inCellXfs = false;
  int xfIndex = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"numFmt") {
      const QString code = xml.attributes().value(QLatin1String("formatCode")).toString().toLower();
      if (code.contains(u"yy") || code.contains(u"hh"))
        dateFormats.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt());
    } else if (xml.isStartElement() && xml.name() == u"cellXfs") {
      inCellXfs = true;
    } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
      inCellXfs = false;
    } else if (inCellXfs && xml.isStartElement() && xml.name() == u"xf") {
      if (dateFormats.contains(xml.attributes().value(QLatin1String("numFmtId")).toInt())) result.insert(xfIndex);
      ++xfIndex;
    }
  }
  return result;
}

}  // namespace

WorkbookCells readWorkbook(const QString& path) {
  WorkbookCells cells;
  const QByteArray sheet = zipMember(path, QStringLiteral("xl/worksheets/sheet1.xml"), &cells.error);
  if (!cells.error.isEmpty()) return cells;
  const QSet<int> dates = dateStyles(zipMember(path, QStringLiteral("xl/styles.xml"), &cells.error));
  if (!cells.error.isEmpty()) return cells;
  QXmlStreamReader xml(sheet);
  QString ref;
  Cell cell;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"c") {
      ref = xml.attributes().value(QLatin1String("r")).toString();
      cell = Cell{xml.attributes().hasAttribute(QLatin1String("t")) ? xml.attributes().value(QLatin1String("t")).toString() : QStringLiteral("n"),
                  QString(), dates.contains(xml.attributes().value(QLatin1String("s")).toInt()) && xml.attributes().hasAttribute(QLatin1String("s"))};
    } else if (xml.isStartElement() && (xml.name() == u"v" || xml.name() == u"t")) {
      cell.value += xml.readElementText();
    } else if (xml.isEndElement() && xml.name() == u"c") {
      cells[ref] = cell;
    }
  }
  if (xml.hasError()) cells.error = xml.errorString();
  return cells;
}

namespace {

// The first python3 that can import openpyxl: the system's own first, as a
// python3 earlier on the PATH (a virtual environment) may lack it.
QString pythonWithOpenpyxl() {
  for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
    QProcess probe;
    probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
      return candidate;
  }
  return {};
}

const char* const kOpenpyxlScript = R"(
import json, sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
out = {}
for ref in sys.argv[2:]:
    value = sheet[ref].value
    text = value.isoformat() if hasattr(value, "isoformat") else ("" if value is None else str(value))
    out[ref] = [type(value).__name__, text]
sys.stdout.buffer.write(json.dumps(out).encode("ascii"))
)";

}  // namespace

ReaderCells readWithOpenpyxl(const QString& path, const QStringList& refs) {
  ReaderCells cells;
  const QString python = pythonWithOpenpyxl();
  if (python.isEmpty()) {
    cells.available = false;
    return cells;
  }
  QProcess reader;
  reader.start(python, QStringList{QStringLiteral("-c"), QString::fromLatin1(kOpenpyxlScript), path} + refs);
  if (!reader.waitForFinished(60000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
    cells.error = QStringLiteral("openpyxl cannot open %1: %2").arg(path, QString::fromUtf8(reader.readAllStandardError()));
    return cells;
  }
  const QJsonObject read = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
  for (auto it = read.begin(); it != read.end(); ++it) {
    const QJsonArray pair = it.value().toArray();
    cells[it.key()] = ReaderCell{pair.at(0).toString(), pair.at(1).toString()};
  }
  return cells;
}
