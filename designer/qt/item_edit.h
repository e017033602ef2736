// One designer edit of one panel item, undone and redone as the bytes the
// item has in the three panel tables.
#pragma once

#include <QUndoCommand>
#include <functional>

#include "firmware/core/settings.h"

namespace zen {

struct Instrument;

struct ItemBytes {
  std::uint8_t options = 0;
  ItemLocation page1, page2;
  bool operator==(const ItemBytes& other) const {
    return options == other.options && page1.column == other.page1.column && page1.row == other.page1.row &&
           page2.column == other.page2.column && page2.row == other.page2.row;
  }
};

ItemBytes itemBytesOf(const Settings& settings, int item);
void setItemBytes(Settings& settings, int item, const ItemBytes& bytes);

class ItemEdit : public QUndoCommand {
 public:
  // Edits with a merge id (key moves) of the same item in a row make one step.
  static constexpr int NoMerge = -1;
  using Changed = std::function<void(int item)>;

  ItemEdit(Settings& settings, int item, ItemBytes before, ItemBytes after, const QString& text, int mergeId,
           Changed changed);
  void undo() override;
  void redo() override;
  int id() const override { return mergeId_; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  void apply(const ItemBytes& bytes);

  Settings& settings_;
  int item_;
  ItemBytes before_, after_;
  int mergeId_;
  Changed changed_;
  bool pushed_ = false;
};

}  // namespace zen
