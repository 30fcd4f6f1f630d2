#pragma once
// Anchors of a result's rows: at intervals, the number of rows that sort
// before a bound and the bound itself (the order values of a row, or a
// physical row address). A page anywhere in the result is then read from the
// nearest anchor below it, skipping fewer rows than one interval, so a jump
// to any position costs the same in a small and in a huge result.
//
// The anchors come in order from a walk over the result (rowcounter.h). Their
// number is capped: when the cap is reached every other anchor is dropped
// and the interval doubles, so memory stays bounded whatever the result's size.

#include <QVariant>
#include <QVector>
#include <optional>
#include <vector>

namespace korvel::db {

struct RowAnchor {
  int rowsBefore = 0;        // rows that sort before the bound
  QVector<QVariant> bound;   // order values (or a row address) of the bound
};

class RowAnchors {
 public:
  static constexpr size_t kMaxAnchors = 65536;

  void clear();
  bool empty() const { return rowsBefore_.empty(); }
  size_t size() const { return rowsBefore_.size(); }

  // Takes the next anchor of a walk; anchors come with growing rowsBefore.
  // Every `keepEvery`-th one is kept once the cap has thinned the anchors.
  void append(const RowAnchor& anchor);

  // The last anchor with rowsBefore <= row, if any.
  std::optional<RowAnchor> atOrBefore(int row) const;
  // The first anchor with rowsBefore >= row, if any.
  std::optional<RowAnchor> atOrAfter(int row) const;
  RowAnchor at(size_t index) const;

  // A row was inserted at (delta 1) or removed from (delta -1) position
  // `row`: anchors whose bound sorts after it move with it.
  void shift(int row, int delta);

 private:
  void thin();

  int width_ = -1;                 // values per bound
  std::vector<int> rowsBefore_;
  std::vector<QVariant> bounds_;   // width_ values per anchor, flat
  size_t keepEvery_ = 1;           // thinning: keep one in keepEvery_ appended
  size_t appended_ = 0;            // anchors offered since clear()
};

}  // namespace korvel::db
