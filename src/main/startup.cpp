#include "main/startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>

#include "auxwin/fmabout.h"
#include "auxwin/fmprgexecv6.h"
#include "auxwin/form_alias.h"
#include "auxwin/formdispformat.h"
#include "auxwin/formtjusdebug.h"
#include "copydb/formcopydb.h"
#include "generator/formsmake.h"
#include "main/formmain.h"
#include "main/startupprobe.h"
#include "sqleditor/formmemo.h"
#include "tableinfo/formtblinf.h"
#include "tablemake/formtblmake.h"
#include "ui/widgetprompt.h"

namespace korvel {
namespace {

// The window font "ＭＳ 明朝" is a Windows face; map it to an installed
// Mincho face so Japanese text renders.
void installFontSubstitutes() {
  const QString msMincho = QStringLiteral("ＭＳ 明朝");
  QFont::insertSubstitutions(msMincho, {QStringLiteral("IPAMincho"),
                                        QStringLiteral("IPA明朝"),
                                        QStringLiteral("Noto Serif CJK JP"),
                                        QStringLiteral("IPAGothic")});
}

}  // namespace

const char* helpFilePath() { return "/usr/share/doc/korvel/Korvel.hlp"; }

void createWindows() {
  installFontSubstitutes();
  FormMain = new TFormMain();
  Form_Alias = new TForm_Alias();
  FormTblInf = new TFormTblInf();
  FormMemo = new TFormMemo();
  FormSMake = new TFormSMake();
  FMAbout = new TFMAbout();
  FormDispFormat = new TFormDispFormat();
  FormTblMake = new TFormTblMake();
  FormCopyDB = new TFormCopyDB();
  FormTjusDebug = new TFormTjusDebug();
  FMPrgExecV6 = new TFMPrgExecV6();
  FormMain->LinkTableInfoWindow();
}

void destroyWindows() {
  // Released in reverse order of creation.
  delete FMPrgExecV6; FMPrgExecV6 = nullptr;
  delete FormTjusDebug; FormTjusDebug = nullptr;
  delete FormCopyDB; FormCopyDB = nullptr;
  delete FormTblMake; FormTblMake = nullptr;
  delete FormDispFormat; FormDispFormat = nullptr;
  delete FMAbout; FMAbout = nullptr;
  delete FormSMake; FormSMake = nullptr;
  delete FormMemo; FormMemo = nullptr;
  delete FormTblInf; FormTblInf = nullptr;
  delete Form_Alias; Form_Alias = nullptr;
  delete FormMain; FormMain = nullptr;
}

int runProgram(QApplication& app) {
  app.setApplicationName(QStringLiteral("korvel"));
  app.setProperty("helpFile", QString::fromLatin1(helpFilePath()));
  WidgetPrompt widgetPrompt;
  setPrompt(&widgetPrompt);
  createWindows();
  // Opens maximised; without a window manager (a bare X server) the
  // request is not honoured, so take the screen's area first.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    FormMain->setGeometry(screen->availableGeometry());
  if (startupProbeRequested()) installStartupProbe(FormMain);
  FormMain->showMaximized();
  const int rc = app.exec();
  destroyWindows();
  setPrompt(nullptr);
  return rc;
}

}  // namespace korvel
