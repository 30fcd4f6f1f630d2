#include "workbookreader.h"

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
