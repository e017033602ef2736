#include "firmware/instruments/default_layout.h"

namespace zen {

namespace {

constexpr bool shown = true;
constexpr bool hidden = false;

struct PagePlace {
  bool visible;
  std::uint8_t style;
  std::uint8_t column;
  std::uint8_t row;
};

// The options byte is what gets stored; the visibility and style columns say
// the same thing in readable form and are checked against it below.
struct LayoutRow {
  int item;
  std::uint8_t options;
  PagePlace page1;
  PagePlace page2;
};

constexpr PagePlace spare{hidden, 0, 0, 0};

constexpr std::array<LayoutRow, PanelItemCount> Layout{{
    // item options  page 1                     page 2
    {0, 0x37, {shown, 3, 15, 0}, {shown, 1, 25, 1}},
    {1, 0x37, {shown, 3, 3, 0}, {shown, 1, 6, 0}},
    {2, 0x17, {shown, 3, 27, 0}, {shown, 0, 30, 0}},
    {3, 0x11, {shown, 0, 30, 188}, {shown, 0, 30, 188}},
    {4, 0x11, {shown, 0, 30, 146}, {shown, 0, 19, 196}},
    {5, 0x11, {shown, 0, 21, 165}, {shown, 0, 10, 167}},
    {6, 0x11, {shown, 0, 11, 212}, {shown, 0, 0, 212}},
    {7, 0x11, {shown, 0, 11, 146}, {shown, 0, 0, 181}},
    {8, 0x11, {shown, 0, 11, 179}, {shown, 0, 0, 150}},
    {9, 0x00, {hidden, 0, 31, 165}, {hidden, 0, 25, 167}},
    {10, 0x13, {shown, 1, 17, 113}, {shown, 0, 31, 154}},
    {11, 0x11, {shown, 0, 26, 113}, {shown, 0, 20, 154}},
    {12, 0x00, {hidden, 0, 21, 129}, {hidden, 0, 0, 0}},
    {13, 0x00, {hidden, 0, 0, 0}, {hidden, 0, 0, 0}},
    {14, 0x13, {shown, 1, 0, 0}, {shown, 0, 12, 1}},
    {15, 0x10, {hidden, 0, 9, 4}, {shown, 0, 15, 22}},
    {16, 0x30, {hidden, 0, 9, 60}, {shown, 1, 15, 79}},
    {17, 0x30, {hidden, 0, 9, 110}, {shown, 1, 15, 104}},
    {18, 0x10, {hidden, 0, 12, 85}, {shown, 0, 18, 1}},
    {19, 0x05, {shown, 2, 3, 174}, {hidden, 0, 14, 10}},
    {20, 0x05, {shown, 2, 5, 206}, {hidden, 0, 14, 26}},
    {21, 0x31, {shown, 0, 4, 182}, {shown, 1, 8, 133}},
    {22, 0x33, {shown, 1, 4, 125}, {shown, 1, 17, 133}},
    {23, 0x35, {shown, 2, 3, 198}, {shown, 1, 33, 9}},
    {24, 0x31, {shown, 0, 4, 223}, {shown, 1, 33, 104}},
    {25, 0x01, {shown, 0, 4, 215}, {hidden, 0, 0, 120}},
    {26, 0x01, {shown, 0, 4, 232}, {hidden, 0, 0, 224}},
    {27, 0x30, {hidden, 0, 21, 224}, {shown, 1, 0, 31}},
    {28, 0x32, {hidden, 1, 0, 224}, {shown, 1, 0, 8}},
    {29, 0x35, {shown, 2, 4, 151}, {shown, 1, 0, 78}},
    {30, 0x35, {shown, 2, 4, 159}, {shown, 1, 0, 101}},
    {31, 0x35, {shown, 2, 19, 30}, {shown, 1, 26, 132}},
    {32, 0x05, {shown, 2, 7, 30}, {hidden, 0, 19, 1}},
    {33, 0x35, {shown, 2, 4, 190}, {shown, 1, 0, 54}},
    {34, 0x05, {shown, 2, 24, 80}, {hidden, 0, 18, 123}},
    {35, 0x05, {shown, 2, 13, 80}, {hidden, 0, 0, 17}},
    {36, 0x03, {shown, 1, 37, 80}, {hidden, 0, 12, 121}},
    {37, 0x30, {hidden, 0, 0, 0}, {shown, 1, 34, 130}},
    {38, 0x00, {hidden, 0, 0, 0}, {hidden, 0, 0, 0}},
    {39, 0x00, spare, spare},
    {40, 0x00, spare, spare},
    {41, 0x00, spare, spare},
    {42, 0x00, spare, spare},
    {43, 0x00, spare, spare},
    {44, 0x00, spare, spare},
    {45, 0x00, spare, spare},
    {46, 0x00, spare, spare},
    {47, 0x00, spare, spare},
    {48, 0x00, spare, spare},
    {49, 0x05, {shown, 2, 0, 173}, {hidden, 0, 20, 11}},
    {50, 0x05, {shown, 2, 0, 207}, {hidden, 0, 20, 33}},
    {51, 0x15, {shown, 2, 0, 182}, {shown, 0, 9, 124}},
    {52, 0x39, {shown, 4, 0, 130}, {shown, 1, 17, 124}},
    {53, 0x15, {shown, 2, 0, 199}, {shown, 0, 35, 0}},
    {54, 0x15, {shown, 2, 0, 223}, {shown, 0, 34, 95}},
    {55, 0xE1, {shown, 0, 0, 215}, {hidden, 7, 0, 168}},
    {56, 0xE1, {shown, 0, 0, 231}, {hidden, 7, 0, 136}},
    {57, 0x11, {shown, 0, 0, 191}, {shown, 0, 0, 46}},
    {58, 0x5E, {hidden, 7, 0, 136}, {shown, 2, 0, 23}},
    {59, 0x1E, {hidden, 7, 28, 123}, {shown, 0, 0, 0}},
    {60, 0x11, {shown, 0, 0, 151}, {shown, 0, 0, 69}},
    {61, 0x91, {shown, 0, 0, 159}, {shown, 4, 0, 93}},
    {62, 0xE3, {shown, 1, 15, 0}, {hidden, 7, 3, 3}},
    {63, 0xE3, {shown, 1, 3, 0}, {hidden, 7, 5, 1}},
    {64, 0x03, {shown, 1, 7, 22}, {hidden, 0, 1, 1}},
    {65, 0x33, {shown, 1, 19, 22}, {shown, 1, 26, 124}},
    {66, 0x03, {shown, 1, 27, 0}, {hidden, 0, 1, 1}},
    {67, 0x10, {hidden, 0, 0, 0}, {shown, 0, 33, 122}},
    {68, 0x00, {hidden, 0, 0, 0}, {hidden, 0, 0, 0}},
    {69, 0x00, spare, spare},
    {70, 0x00, spare, spare},
    {71, 0x00, spare, spare},
    {72, 0x00, spare, spare},
    {73, 0x00, spare, spare},
    {74, 0x00, spare, spare},
    {75, 0x00, spare, spare},
    {76, 0x00, spare, spare},
    {77, 0x00, spare, spare},
    {78, 0x00, spare, spare},
}};

constexpr std::uint8_t optionsOf(const PagePlace& page1, const PagePlace& page2) {
  return static_cast<std::uint8_t>((page1.visible ? 0x01 : 0) | (page1.style << 1) |
                                   (page2.visible ? 0x10 : 0) | (page2.style << 5));
}

constexpr bool layoutIsConsistent() {
  for (int i = 0; i < PanelItemCount; ++i) {
    const LayoutRow& r = Layout[i];
    if (r.item != i) return false;
    if (r.page1.style > 7 || r.page2.style > 7) return false;
    if (r.options != optionsOf(r.page1, r.page2)) return false;
  }
  return true;
}
static_assert(layoutIsConsistent(),
              "a row is out of order or its options byte disagrees with its page columns");

template <typename T, typename Pick>
constexpr std::array<T, PanelItemCount> column(Pick pick) {
  std::array<T, PanelItemCount> out{};
  for (int i = 0; i < PanelItemCount; ++i) out[i] = pick(Layout[i]);
  return out;
}

constexpr auto Options = column<std::uint8_t>([](const LayoutRow& r) { return r.options; });
constexpr auto Page1 = column<ItemLocation>([](const LayoutRow& r) {
  return ItemLocation{r.page1.column, r.page1.row};
});
constexpr auto Page2 = column<ItemLocation>([](const LayoutRow& r) {
  return ItemLocation{r.page2.column, r.page2.row};
});

}  // namespace

const std::array<std::uint8_t, PanelItemCount>& defaultItemOptions() { return Options; }
const std::array<ItemLocation, PanelItemCount>& defaultPage1Locations() { return Page1; }
const std::array<ItemLocation, PanelItemCount>& defaultPage2Locations() { return Page2; }

}  // namespace zen
