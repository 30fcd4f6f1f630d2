// "件数確認", the record count of the open table or query. A count already
// known is shown at once. Otherwise the rows are counted beside the window,
// so the grid stays usable: the label shows how far the count has got, and
// a second click interrupts it. Where no second connection can count (an
// open transaction, a source read in sequence) the rows are counted on the
// spot, as before.

#include <QLabel>
#include <QToolButton>

#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "prompt/prompt.h"
#include "ui/datasource.h"

using korvel::db::Dataset;
using korvel::db::EngineError;

namespace {

const QString kCountHint = QStringLiteral("件数を数えている間にもう一度押すと中断します");

}  // namespace

void TFormMain::SpeedButtonKensuClick() {
  Dataset* ds = DataSource_Paradox->dataSet() == QueryTmp ? static_cast<Dataset*>(QueryTmp) : Table_Paradox;
  if (!ds->active()) return;
  if (countFollowed_ == ds && ds->countingRows()) {
    // The second click: the count stops where it is.
    const int reached = ds->countedRows();
    stopFollowingCount();
    ds->cancelCount();
    LabelKensu->setText(QStringLiteral("%1件まで(中断)").arg(reached));
    return;
  }
  stopFollowingCount();
  try {
    if (ds->knownRowCount() < 0 && ds->countRowsAside() && ds->countingRows()) {
      followCount(ds);
      return;
    }
    LabelKensu->setText(QString::number(ds->recordCount()));
  } catch (const EngineError& e) {
    korvel::showError(e.lastMessage());
  }
}

void TFormMain::followCount(Dataset* ds) {
  countFollowed_ = ds;
  countConnection_ = connect(ds, &Dataset::rowsCounted, this, &TFormMain::showCountProgress);
  SpeedButtonKensu->setToolTip(kCountHint);
  LabelKensu->setText(QStringLiteral("%1件…").arg(ds->countedRows()));
}

void TFormMain::showCountProgress(int rows, bool final) {
  Dataset* ds = countFollowed_;
  if (!ds || !ds->active()) {
    stopFollowingCount();
    return;
  }
  if (!final && ds->countingRows()) {
    LabelKensu->setText(QStringLiteral("%1件…").arg(rows));
    return;
  }
  // The count ended: with the whole result, or without it (the second
  // connection failed), when the dataset counts the rows itself.
  stopFollowingCount();
  try {
    LabelKensu->setText(QString::number(ds->recordCount()));
  } catch (const EngineError& e) {
    LabelKensu->clear();
    korvel::showError(e.lastMessage());
  }
}

void TFormMain::stopFollowingCount() {
  if (countConnection_) disconnect(countConnection_);
  countConnection_ = {};
  countFollowed_ = nullptr;
  SpeedButtonKensu->setToolTip(QString());
}
