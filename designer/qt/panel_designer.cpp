#include "designer/qt/panel_designer.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

constexpr std::size_t NameColumn = 26;
constexpr std::uint8_t Page1Bit = 0x01;
constexpr std::uint8_t Page2Bit = 0x10;
constexpr std::uint8_t UsageBits = Page1Bit | Page2Bit;

constexpr const char* UsageTexts[4] = {"not used", "page 1", "page 2", "page 1+2"};
constexpr const char* UsageCaptions[4] = {"Not used, do not display", "Display on page 1",
                                          "Display on page 2", "Display on page 1 and 2"};
constexpr const char* ActivateCaption = "Activate move mode";
constexpr const char* EndCaption = "End move mode";
constexpr const char* NoPosition = "---";

bool isSpare(int item) { return PanelItems[item].kind == ItemKind::Spare; }

}  // namespace

std::string designerListLine(const Settings& settings, int item) {
  std::string line(itemName(item));
  if (line.size() < NameColumn) line.resize(NameColumn, '.');
  return line + UsageTexts[usageIndex(settings.itemOptions[item])];
}

int usageIndex(std::uint8_t options) {
  return ((options & Page1Bit) ? 1 : 0) + ((options & Page2Bit) ? 2 : 0);
}

std::uint8_t withUsage(std::uint8_t options, int index) {
  std::uint8_t bits = 0;
  if (index & 1) bits |= Page1Bit;
  if (index & 2) bits |= Page2Bit;
  return static_cast<std::uint8_t>((options & ~UsageBits) | bits);
}

TForm8::TForm8(Instrument& z, QWidget* parent) : QWidget(parent, Qt::Tool), z_(z) {
  setObjectName("Form8");
  setWindowTitle("Panel designer");

  listBox1_ = new QListWidget(this);
  listBox1_->setObjectName("ListBox1");
  // A named face resolves to a proportional one where it is missing.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  listBox1_->setFont(fixed);
  listBox1_->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QString(NameColumn + 12, 'W')), 440);

  auto* usage = new QGroupBox("Item usage", this);
  usage->setObjectName("RadioGroup1");
  auto* usageLayout = new QVBoxLayout(usage);
  radioGroup1_ = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QRadioButton(UsageCaptions[i], usage);
    radioGroup1_->addButton(button, i);
    usageLayout->addWidget(button);
  }

  auto pageBox = [this](const char* title, int firstEdit) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    const char* captions[2] = {"Horizontal", "Vertical"};
    for (int i = 0; i < 2; ++i) {
      auto* edit = new QLineEdit(NoPosition, box);
      edit->setObjectName(QStringLiteral("Edit%1").arg(firstEdit + i + 1));
      edit->setReadOnly(true);
      edits_[firstEdit + i] = edit;
      grid->addWidget(new QLabel(captions[i], box), i, 0);
      grid->addWidget(edit, i, 1);
    }
    return box;
  };

  button1_ = new QPushButton("Change display option", this);
  button1_->setObjectName("Button1");
  button2_ = new QPushButton(ActivateCaption, this);
  button2_->setObjectName("Button2");

  auto* side = new QVBoxLayout;
  side->addWidget(usage);
  side->addWidget(pageBox("Page 1", 0));
  side->addWidget(pageBox("Page 2", 2));
  side->addWidget(button1_);
  side->addWidget(button2_);
  side->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(listBox1_, 1);
  layout->addLayout(side);

  // A click on the selected line selects it again, as keys and clicks on other lines do.
  connect(listBox1_, &QListWidget::currentRowChanged, this, &TForm8::ListBox1Click);
  connect(listBox1_, &QListWidget::itemClicked, this, &TForm8::ListBox1Click);
  connect(radioGroup1_, &QButtonGroup::idClicked, this, &TForm8::RadioGroup1Click);
  connect(button1_, &QPushButton::clicked, this, &TForm8::Button1Click);
  connect(button2_, &QPushButton::clicked, this, &TForm8::Button2Click);

  // Design mode also starts and ends with the bezel keys; the button follows it.
  captionTimer_ = new QTimer(this);
  captionTimer_->setInterval(200);
  connect(captionTimer_, &QTimer::timeout, this, &TForm8::syncMoveModeCaption);

  z_.panel.showItemPosition = [](void* context, int page, int x, int row) {
    static_cast<TForm8*>(context)->showPosition(page, x, row);
  };
  z_.panel.showItemPositionContext = this;
  rebuildList();
  state_.listReady = true;
}

TForm8::~TForm8() {
  if (z_.panel.showItemPositionContext == this) {
    z_.panel.showItemPosition = nullptr;
    z_.panel.showItemPositionContext = nullptr;
  }
}

void TForm8::showEvent(QShowEvent* event) {
  rebuildList();
  syncMoveModeCaption();
  captionTimer_->start();
  QWidget::showEvent(event);
}

void TForm8::hideEvent(QHideEvent* event) {
  captionTimer_->stop();
  QWidget::hideEvent(event);
}

int TForm8::selectedLine() const { return listBox1_->currentRow(); }

int TForm8::usageShown() const { return radioGroup1_->checkedId(); }

QString TForm8::positionText(int edit) const { return edits_[edit - 1]->text(); }

void TForm8::rebuildList() {
  const int row = selectedLine();
  const QSignalBlocker quiet(listBox1_);
  listBox1_->clear();
  for (int item = 0; item < PanelItemCount; ++item)
    listBox1_->addItem(QString::fromStdString(designerListLine(z_.settings, item)));
  listBox1_->setCurrentRow(row);
}

// Showing another usage runs the usage handler, as a click on it would.
void TForm8::showUsage(int index) {
  if (radioGroup1_->checkedId() == index) return;
  radioGroup1_->button(index)->setChecked(true);
  RadioGroup1Click();
}

void TForm8::showPositions(int item) {
  const std::uint8_t options = z_.settings.itemOptions[item];
  for (int page = 0; page < 2; ++page) {
    const bool shown = options & (page == 0 ? Page1Bit : Page2Bit);
    const ItemLocation& place = itemLocationOn(z_, item, page);
    edits_[2 * page]->setText(shown ? QString::number(place.column * 8) : NoPosition);
    edits_[2 * page + 1]->setText(shown ? QString::number(place.row) : NoPosition);
  }
}

// The line and the details of an item picked elsewhere, with nothing changed.
void TForm8::selectLine(int item) {
  {
    const QSignalBlocker quietList(listBox1_);
    listBox1_->setCurrentRow(item);
  }
  const QSignalBlocker quietUsage(radioGroup1_);
  radioGroup1_->button(usageIndex(z_.settings.itemOptions[item]))->setChecked(true);
  showPositions(item);
}

void TForm8::ListBox1Click() {
  const int item = selectedLine();
  if (item < 0) return;
  state_.listReady = false;
  showUsage(usageIndex(z_.settings.itemOptions[item]));
  showPositions(item);
  if (z_.main.designMode && itemVisible(z_, item)) z_.main.selectedItem = static_cast<std::uint8_t>(item);
  state_.listReady = true;
}

void TForm8::RadioGroup1Click() {
  const int item = selectedLine();
  if (item < 0) return;
  std::uint8_t& options = z_.settings.itemOptions[item];
  const int index = radioGroup1_->checkedId();
  // Outside design mode nothing changes; a spare entry has nothing to show.
  if (!z_.main.designMode || (isSpare(item) && index != 0)) {
    const QSignalBlocker quiet(radioGroup1_);
    radioGroup1_->button(usageIndex(options))->setChecked(true);
    return;
  }
  options = withUsage(options, index);
  z_.main.selectedItem = static_cast<std::uint8_t>(item);
  if (state_.listReady) rebuildList();
  redrawShownPage();
}

void TForm8::Button1Click() {
  const int item = selectedLine();
  if (item < 0 || !z_.main.designMode) return;
  std::uint8_t& options = z_.settings.itemOptions[item];
  const int page = z_.main.activePage;
  if (page == 0 && (options & Page1Bit))
    options = static_cast<std::uint8_t>((options & ~0x0E) | ((options + 2) & 0x0E));
  else if (page != 0 && (options & Page2Bit))
    options = static_cast<std::uint8_t>((options & ~0xE0) | ((options + 0x20) & 0xE0));
  // A larger style may reach past an edge; the firmware highlights its selection again.
  clampItemPositions(z_);
  z_.main.lastSelectedItem = 255;
  redrawShownPage();
}

void TForm8::Button2Click() {
  MainState& m = z_.main;
  if (!m.designMode) {
    enterDesignMode(z_);
    const int item = selectedLine();
    if (item >= 0 && itemVisible(z_, item)) m.selectedItem = static_cast<std::uint8_t>(item);
  } else {
    state_.designerDragging = false;
    saveAllSettings(z_);
    m.designMode = 0;
    redrawShownPage();
  }
  syncMoveModeCaption();
}

bool TForm8::mouseEditing() const { return z_.main.designMode && z_.main.pageVisible; }

// A menu or the start-up screens own the screen until the page is back.
void TForm8::redrawShownPage() {
  if (z_.main.pageVisible) redrawPage(z_);
}

void TForm8::syncMoveModeCaption() { button2_->setText(z_.main.designMode ? EndCaption : ActivateCaption); }

void TForm8::showPosition(int page, int x, int row) {
  edits_[page == 0 ? 0 : 2]->setText(QString::number(x));
  edits_[page == 0 ? 1 : 3]->setText(QString::number(row));
}

int TForm8::itemAt(int x, int y, int first) const {
  PanelState& p = z_.panel;
  const std::uint8_t width = p.itemWidth;
  const std::uint16_t height = p.itemHeight;
  int hit = -1;
  for (int step = 0; step < PanelItemCount && hit < 0; ++step) {
    const int item = (first + step) % PanelItemCount;
    if (!itemVisible(z_, item)) continue;
    measureItem(z_, item);
    const ItemLocation& place = itemLocationOn(z_, item, z_.main.activePage);
    const int left = place.column * 8;
    if (x >= left && x < left + p.itemWidth && y >= place.row && y < place.row + p.itemHeight) hit = item;
  }
  p.itemWidth = width;
  p.itemHeight = height;
  return hit;
}

bool TForm8::pickableAt(QPoint picture) const {
  return mouseEditing() && itemAt(picture.x() - ScreenInset, picture.y() - ScreenInset, 0) >= 0;
}

void TForm8::Image2MouseDown(QPoint picture) {
  if (!mouseEditing()) return;
  const int item = itemAt(picture.x() - ScreenInset, picture.y() - ScreenInset,
                          (state_.lastPickedItem + 1) % PanelItemCount);
  if (item < 0) return;
  z_.main.selectedItem = static_cast<std::uint8_t>(item);
  // The buttons act on the list's line: it is the item picked.
  selectLine(item);
  redrawPage(z_);
  highlightItem(z_, item);  // measures the item and shows its place
  state_.designerDragging = true;
  state_.lastPickedItem = static_cast<std::uint8_t>(item);
  state_.dragWidth = z_.panel.itemWidth;
  state_.dragHeight = z_.panel.itemHeight;
}

void TForm8::Image2MouseMove(QPoint picture) {
  // Design mode may have ended by the keys meanwhile; it saved what was there.
  if (!state_.designerDragging || !mouseEditing()) return;
  const int x = std::max(0, picture.x() - ScreenInset);
  int y = std::max(0, picture.y() - ScreenInset);
  if (y + state_.dragHeight > ScreenHeight - 1) y = std::max(0, ScreenHeight - state_.dragHeight);
  int column = x / 8;
  // The same column the location clamp would give: the item stays inside the screen.
  if (column * 8 + state_.dragWidth >= ScreenWidth)
    column = std::max(0, (ScreenWidth - state_.dragWidth) / 8);
  ItemLocation& place = itemLocationOn(z_, state_.lastPickedItem, z_.main.activePage);
  place.column = static_cast<std::uint8_t>(column);
  place.row = static_cast<std::uint8_t>(y);
  redrawPage(z_);
  highlightItem(z_, z_.main.selectedItem);
}

void TForm8::Image2MouseUp() { state_.designerDragging = false; }

}  // namespace zen
