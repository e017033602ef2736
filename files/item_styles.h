// What an item's style looks like, named for people: "Tape, scale on the
// left, 2 of 4" (the look, and which of the item's looks it is). Styles run
// 0 to 7; most items have fewer looks, so several styles share one.
#pragma once

#include <string>

namespace zen {

std::string styleName(int item, int style);

}  // namespace zen
