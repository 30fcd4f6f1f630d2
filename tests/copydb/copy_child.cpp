// A program that runs one copy in the copy window, offscreen, for the test
// that ends it with SIGKILL in the middle:
//   copy_child <work folder> <source alias> <source table> <destination alias> <destination table>
// The work folder holds aliases.ini and becomes the current directory.

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <cstdio>

#include "copydb/formcopydb.h"
#include "db/engine.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: copy_child <work folder> <source alias> <source table> <destination alias> <destination table>\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QString work = QString::fromLocal8Bit(argv[1]);
  qputenv("KORVEL_ALIASES", QDir(work).filePath(QStringLiteral("aliases.ini")).toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", QDir(work).filePath(QStringLiteral("config")).toLocal8Bit());
  qputenv("XDG_DATA_HOME", QDir(work).filePath(QStringLiteral("data")).toLocal8Bit());
  QDir::setCurrent(work);
  korvel::ui::Application app(argc, argv);

  TFormCopyDB form;
  auto pick = [](QComboBox* box, const char* text) {
    box->setEditText(QString::fromLocal8Bit(text));
  };
  pick(form.ComboBox_Alias, argv[2]);
  form.ListAliasTables(QStringLiteral("S"));
  pick(form.ComboBox_Tables, argv[3]);
  pick(form.ComboBox_Alias2, argv[4]);
  form.ListAliasTables(QStringLiteral("D"));
  pick(form.ComboBox_Tables2, argv[5]);
  form.ButtonCopyClick();
  std::printf("%s\n", form.LabelKensu->text().toUtf8().constData());
  korvel::db::Engine::instance().closeConnections();
  return 0;
}
