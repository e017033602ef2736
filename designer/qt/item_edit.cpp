#include "designer/qt/item_edit.h"

namespace zen {

ItemBytes itemBytesOf(const Settings& settings, int item) {
  return {settings.itemOptions[item], settings.page1Locations[item], settings.page2Locations[item]};
}

void setItemBytes(Settings& settings, int item, const ItemBytes& bytes) {
  settings.itemOptions[item] = bytes.options;
  settings.page1Locations[item] = bytes.page1;
  settings.page2Locations[item] = bytes.page2;
}

ItemEdit::ItemEdit(Settings& settings, int item, ItemBytes before, ItemBytes after, const QString& text,
                   int mergeId, Changed changed)
    : QUndoCommand(text),
      settings_(settings),
      item_(item),
      before_(before),
      after_(after),
      mergeId_(mergeId),
      changed_(std::move(changed)) {}

void ItemEdit::undo() { apply(before_); }

// The first redo comes as the edit is pushed, with the edit already in place.
void ItemEdit::redo() {
  if (pushed_) apply(after_);
  pushed_ = true;
}

bool ItemEdit::mergeWith(const QUndoCommand* other) {
  const auto* edit = static_cast<const ItemEdit*>(other);
  if (edit->item_ != item_) return false;
  after_ = edit->after_;
  return true;
}

void ItemEdit::apply(const ItemBytes& bytes) {
  setItemBytes(settings_, item_, bytes);
  if (changed_) changed_(item_);
}

}  // namespace zen
