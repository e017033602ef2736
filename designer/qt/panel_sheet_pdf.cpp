#include "designer/qt/panel_sheet_pdf.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "sim/atomic_file.h"
#include "sim/qt/screen_image.h"

namespace zen {

namespace {

constexpr int Dpi = 300;
constexpr int ScreenZoom = 3;  // 320 dots a screen row: two pages side by side on A4
constexpr double MarginMm = 15;

int dots(double mm) { return static_cast<int>(mm * Dpi / 25.4 + 0.5); }

// Lines top to bottom, a new page when one is full.
class Layout {
 public:
  Layout(QPdfWriter& writer, QPainter& painter) : writer_(writer), painter_(painter) {
    width_ = painter.viewport().width();
    height_ = painter.viewport().height();
    body_ = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    body_.setPointSizeF(9);
    columns_ = body_;
    columns_.setBold(true);
    heading_ = columns_;
    heading_.setPointSizeF(11);
  }
  int width() const { return width_; }
  int y() const { return y_; }
  void skip(int space) { y_ += space; }
  void ensure(int space) {
    if (y_ + space <= height_) return;
    writer_.newPage();
    y_ = 0;
  }
  void title(const QString& text) {
    QFont font = heading_;
    font.setPointSizeF(16);
    write(font, {{0, text}});
  }
  void heading(const QString& text) {
    skip(dots(3));
    ensure(3 * lineHeight(heading_));  // not alone at the foot of a page
    write(heading_, {{0, text}});
  }
  // Texts at the given fractions of the width.
  void row(std::initializer_list<std::pair<double, QString>> cells) { write(body_, cells); }
  void columnNames(std::initializer_list<std::pair<double, QString>> cells) { write(columns_, cells); }

 private:
  int lineHeight(const QFont& font) const { return QFontMetrics(font, &writer_).lineSpacing(); }
  void write(const QFont& font, std::initializer_list<std::pair<double, QString>> cells) {
    const int height = lineHeight(font);
    ensure(height);
    painter_.setFont(font);
    for (const auto& [at, text] : cells)
      painter_.drawText(QRect(static_cast<int>(at * width_), y_, width_, height), Qt::AlignLeft, text);
    y_ += height;
  }

  QPdfWriter& writer_;
  QPainter& painter_;
  QFont body_, columns_, heading_;
  int width_ = 0, height_ = 0, y_ = 0;
};

QString text(const std::string& s) { return QString::fromStdString(s); }

void drawScreens(Layout& layout, QPainter& painter, const SheetDocument& document) {
  const QImage first = screenImage(document.screens[0], ScreenZoom);
  const int gap = layout.width() - 2 * first.width();
  for (int page = 0; page < 2; ++page) {
    const int x = page * (first.width() + gap);
    painter.drawText(QRect(x, layout.y(), first.width(), dots(6)), Qt::AlignLeft,
                     QStringLiteral("Page %1").arg(page + 1));
    painter.drawImage(QPoint(x, layout.y() + dots(6)), screenImage(document.screens[page], ScreenZoom));
  }
  layout.skip(dots(6) + first.height() + dots(4));
}

}  // namespace

std::optional<std::string> writePanelSheetPdf(const SheetDocument& document,
                                              const std::filesystem::path& path) {
  const PanelSheet& sheet = document.sheet;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(Dpi);
    writer.setPageMargins(QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
    writer.setTitle(text(sheet.title));
    QPainter painter;
    if (!painter.begin(&writer)) return "the PDF writer could not start";
    Layout layout(writer, painter);
    layout.title(text(sheet.title));
    for (const auto& [label, value] : sheet.identity.lines)
      layout.row({{0, text(label)}, {0.3, text(value)}});
    layout.skip(dots(4));
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    drawScreens(layout, painter, document);
    for (std::size_t page = 0; page < sheet.pages.size(); ++page) {
      layout.heading(QStringLiteral("Items on page %1").arg(page + 1));
      layout.columnNames({{0, "Item"}, {0.4, "Style"}, {0.8, "Position (x, y)"}});
      for (const SheetItem& item : sheet.pages[page])
        layout.row({{0, text(item.name)}, {0.4, text(item.style)}, {0.8, text(item.position)}});
      if (sheet.pages[page].empty()) layout.row({{0, "No items shown"}});
    }
    for (const SheetSection& section : sheet.settings) {
      layout.heading(text(section.title));
      for (const auto& [label, value] : section.lines) layout.row({{0, text(label)}, {0.4, text(value)}});
    }
    layout.heading("Overlapping items");
    if (sheet.overlaps.empty()) layout.row({{0, "None"}});
    for (const std::string& overlap : sheet.overlaps) layout.row({{0, text(overlap)}});
    layout.skip(dots(10));
    layout.row({{0, "Checked by: ______________________"}, {0.5, "Signature: ______________________"}});
    if (!painter.end()) return "the PDF writer could not finish the document";
  }
  const QByteArray& bytes = buffer.data();
  return writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                             static_cast<std::size_t>(bytes.size())));
}

}  // namespace zen
