// Clipboard transfer: alias and table names out, the grid's records out as
// tab-separated text or into an Excel workbook, and tab-separated text back
// into the records of the open table.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <memory>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "controls/spbtn2.h"
#include "db/driver.h"
#include "db/engine.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "db/table.h"
#include "db/tablecomments.h"
#include "main/cliptext.h"
#include "main/formmain.h"
#include "main/gridcopy.h"
#include "main/gridpaste.h"
#include "main/workbookfile.h"
#include "main/xlsxsink.h"
#include "prompt/prompt.h"
#include "ui/application.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "ui/windowhelpers.h"

using korvel::db::Dataset;
using korvel::db::EngineError;

namespace {

constexpr int kFormatGridCommentRow = 5;
// How often a running copy lets the window handle its events (the abort
// button) and shows its progress.
constexpr int kEventIntervalMs = 30;

QStringList itemTexts(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// The comment of each listed table, from wherever its kind of table keeps
// comments. A connection that cannot be made is raised here, once, rather
// than leaving every comment silently empty.
QStringList listedTableComments(const QString& alias, const QStringList& tables) {
  korvel::db::Engine::instance().connection(alias);
  QStringList comments;
  for (const QString& text : tables) comments << korvel::db::readTableComments(alias, text).table;
  return comments;
}

// A comment is one cell of one line.
QString oneLine(QString text) {
  for (QChar& c : text)
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  return text;
}

}  // namespace

void TFormMain::connectClipboardHandlers() {
  connect(ButtonAToClip, &QPushButton::clicked, this, [this] { ButtonAToClipClick(); });
  connect(ButtonTToClip, &QPushButton::clicked, this, [this] { ButtonTToClipClick(); });
  connect(BitBtnCopy, &QPushButton::clicked, this, [this] { BitBtnCopyClick(BitBtnCopy); });
  connect(BitBtnExcelCopy, &QPushButton::clicked, this, [this] { BitBtnCopyClick(BitBtnExcelCopy); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  ButtonAToClip->setToolTip(QStringLiteral("Alias名称をクリップボードへコピーします。"));
  ButtonTToClip->setToolTip(QStringLiteral("テーブル名称をクリップボードへコピーします。"));
  BitBtnCopy->setToolTip(QStringLiteral("グリッドに表示している内容をクリップボードへコピーします。"));
  BitBtnExcelCopy->setToolTip(QStringLiteral("グリッドに表示している内容をExcelファイル(.xlsx)に書き出します。"));

  // The caption Panel3 shows while the grid is hidden by a copy.
  Panel3Caption = new QLabel(Panel3);
  Panel3Caption->setObjectName(QStringLiteral("Panel3Caption"));
  Panel3Caption->setAlignment(Qt::AlignCenter);
  Panel3Caption->hide();
  Panel3->layout()->addWidget(Panel3Caption);
}

void TFormMain::ButtonAToClipClick() {
  QApplication::clipboard()->setText(korvel::clipLines(itemTexts(ComboBox_Alias)));
}

void TFormMain::ButtonTToClipClick() {
  const QStringList tables = itemTexts(ComboBox_Tables);
  const bool withComments = CheckBoxCopyOracle->isChecked();
  QStringList comments;
  if (withComments) {
    try {
      comments = listedTableComments(ComboBox_Alias->currentText(), tables);
    } catch (const EngineError& e) {
      // Reported as an opened query reports it; the names are copied still.
      korvel::showMessage(e.lastMessage() + QStringLiteral(" (") + QString::number(e.count()) +
                          QLatin1Char(')'));
    }
  }
  QStringList lines;
  for (int i = 0; i < tables.size(); ++i) {
    QString line = tables[i];
    if (withComments) line += QLatin1Char('\t') + oneLine(comments.value(i));
    lines << line;
  }
  QApplication::clipboard()->setText(korvel::clipLines(lines));
}

std::vector<int> TFormMain::gridFieldOrder() const {
  std::vector<int> fields;
  const Dataset* ds = DBGrid1->dataSource() ? DBGrid1->dataSource()->dataSet() : nullptr;
  const int count = ds && ds->active() ? const_cast<Dataset*>(ds)->fieldCount() : 0;
  const QHeaderView* header = DBGrid1->horizontalHeader();
  for (int visual = 0; visual < count; ++visual) {
    const int logical = header->count() == count ? header->logicalIndex(visual) : visual;
    if (header->count() == count && header->isSectionHidden(logical)) continue;
    fields.push_back(logical);
  }
  return fields;
}

// While a grid copy runs: the grid and the copy buttons give way to the
// abort button and the progress caption; the rest of the window waits.
// Everything comes back however the copy ends.
class TFormMain::GridCopyScreen {
 public:
  explicit GridCopyScreen(TFormMain* form) : form_(form) {
    form_->gridCopyRunning_ = true;
    form_->DBGrid1->hide();
    form_->BitBtnCopy->hide();
    form_->BitBtnExcelCopy->hide();
    form_->SpeedButtonAbort->SetDown(false);
    form_->SpeedButtonAbort->show();
    form_->Panel3Caption->clear();
    form_->Panel3Caption->show();
    for (QObject* child : form_->ClientArea->children()) {
      auto* widget = qobject_cast<QWidget*>(child);
      if (!widget || widget == form_->SpeedButtonAbort || widget == form_->Panel1 || !widget->isEnabled()) continue;
      widget->setEnabled(false);
      disabled_.push_back(widget);
    }
    form_->menuBar()->setEnabled(false);
    // The walk over the records is not shown record by record.
    form_->DataSource_Paradox->disableControls();
  }
  ~GridCopyScreen() {
    form_->DataSource_Paradox->enableControls();
    for (QWidget* widget : disabled_) widget->setEnabled(true);
    form_->menuBar()->setEnabled(true);
    form_->Panel3Caption->hide();
    form_->SpeedButtonAbort->hide();
    form_->SpeedButtonAbort->SetDown(false);
    form_->BitBtnCopy->show();
    form_->BitBtnExcelCopy->show();
    form_->DBGrid1->show();
    form_->gridCopyRunning_ = false;
  }

 private:
  TFormMain* form_;
  std::vector<QWidget*> disabled_;
};

void TFormMain::BitBtnCopyClick(QObject* Sender) {
  Dataset* ds = CheckBoxQuery->isChecked() ? static_cast<Dataset*>(QueryTmp) : Table_Paradox;
  if (!ds->active() || gridCopyRunning_) return;
  // Walking the records would post an edit the user has not posted.
  if (!resolvePendingEdit()) return;
  const bool excel = Sender == BitBtnExcelCopy;

  std::unique_ptr<korvel::WorkbookFile> book;
  if (excel) {
    QString path = korvel::prompt().saveFileName(QStringLiteral("Excel Copy"), QStringLiteral("*.xlsx"),
                                                  QStringLiteral("EXCEL (*.xlsx)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".xlsx");
    try {
      book = std::make_unique<korvel::WorkbookFile>(path);
    } catch (const korvel::WorkbookError& e) {
      korvel::showError(QString::fromUtf8(e.what()));
      return;
    }
  }

  bool aborted = false;
  try {
    GridCopyScreen screen(this);
    korvel::ClipTextSink clipText;
    std::unique_ptr<korvel::XlsxGridSink> xlsx;
    if (excel) xlsx = std::make_unique<korvel::XlsxGridSink>(*book);
    korvel::GridCopySink& sink = excel ? static_cast<korvel::GridCopySink&>(*xlsx) : clipText;

    const std::vector<int> fields = gridFieldOrder();
    QStringList labels;
    for (int f : fields) labels << ds->field(f).displayName();
    QStringList gridNames, gridComments;
    for (int c = 1; c < ComboGrid1->ColCount(); ++c) {
      gridNames << ComboGrid1->Cells(c, 0);
      gridComments << ComboGrid1->Cells(c, kFormatGridCommentRow);
    }
    sink.titles(labels);
    if (auto comments = korvel::formatGridComments(labels, gridNames, gridComments)) sink.comments(*comments);

    const int limit = korvel::gridCopyLimit(NumEditFirst->text());
    const QString total = QLatin1Char('/') + QString::number(ds->recordCount());
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    const int copied = korvel::copyGridRecords(*ds, fields, limit, sink, [&](int done) {
      if (done == 0 || sinceEvents.elapsed() >= kEventIntervalMs) {
        Panel3Caption->setText(QString::number(done) + total);
        QApplication::processEvents();
        sinceEvents.restart();
      }
      aborted = SpeedButtonAbort->Down();
      return !aborted;
    });
    Panel3Caption->setText(QString::number(copied) + total);

    if (!excel) {
      QApplication::clipboard()->setText(clipText.text());
    } else if (!aborted) {
      book->commit();
    }
  } catch (...) {
    korvel::showError(korvel::ui::exceptionText(std::current_exception()));
    return;
  }
  if (excel && aborted)
    Qz_ShowStatus(QStringLiteral("Excel Copyを中止しました（ファイルは書いていません）"), StatusBar1);
}

void TFormMain::BitBtn1Click() { PasteFromClipboard(currentDataSet(), DBGrid1, false); }

void TFormMain::PasteFromClipboard(Dataset* table, korvel::ui::DBGrid* grid, bool skipMode) {
  if (!table->active()) {
    korvel::showError(QStringLiteral("表がオープンされていないと実行できません"));
    return;
  }
  const QList<QStringList> records = korvel::splitClipRecords(QApplication::clipboard()->text());
  if (records.isEmpty()) {
    Qz_ShowStatus(QStringLiteral("クリップボードに貼り付けるテキストがありません"), StatusBar1);
    return;
  }
  korvel::PasteTarget target;
  target.dataset = table;
  target.columns = gridFieldOrder();
  target.skipMode = skipMode;
  const int current = grid->currentIndex().isValid() ? grid->currentIndex().column() : 0;
  const auto at = std::find(target.columns.begin(), target.columns.end(), current);
  target.startColumn = at == target.columns.end() ? 0 : static_cast<int>(at - target.columns.begin());

  korvel::PasteOutcome outcome;
  {
    // The grid is detached while the records are written and shown again after.
    DataSource_Paradox->disableControls();
    struct Reattach {
      korvel::ui::DataSource* source;
      ~Reattach() { source->enableControls(); }
    } reattach{DataSource_Paradox};
    outcome = korvel::pasteRecords(target, records);
    if (outcome.rolledBack) {
      // The run's records are gone: the grid must not show them.
      try {
        table->cancel();
        table->refresh();
      } catch (const EngineError& e) {
        outcome.problem += QLatin1Char('\n') + e.lastMessage();
      }
    }
  }
  if (grid->model()->columnCount() > current && grid->currentIndex().isValid())
    grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), current));
  if (!outcome.problem.isEmpty()) korvel::showError(outcome.problem);
}
