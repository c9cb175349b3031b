#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "logic/bindings.h"
#include "logic/key_bindings.h"
#include "logic/reading_order.h"
#include "ui/layout_table.h"

namespace {

using layout::Box;
using layout::Kind;

// Reading order: a control lies before another on its line when it is further left, and before
// every control of a later line. Two controls share a line when their boxes overlap vertically.
bool ReadsBefore(const Box& a, const Box& b) {
  const bool sameLine = a.top < b.Bottom() && b.top < a.Bottom();
  return sameLine ? a.left < b.left : a.top < b.top;
}

void ExpectReadingOrder(std::span<const Control> order, const char* where) {
  for (std::size_t i = 0; i < order.size(); ++i)
    for (std::size_t j = i + 1; j < order.size(); ++j)
      EXPECT_TRUE(
          ReadsBefore(layout::ControlEntry(order[i]).box, layout::ControlEntry(order[j]).box))
          << where << ": " << ControlName(order[i]) << " before " << ControlName(order[j]);
}

TEST(UiKeys, TheCueFollowsTheReadingOrderOverEveryLinkButtonAndFlag) {
  for (const ReadingItem& item : ReadingOrder())
    EXPECT_EQ(item.page, layout::ControlEntry(item.control).page) << ControlName(item.control);
  for (const auto& pageRow : layout::Pages()) {
    const TSetupPage page = pageRow.page;
    const std::vector<Control> cued = CueOrder(page);
    ExpectReadingOrder(std::span(cued).first(3), "header");  // the flags, the logo
    const auto order = std::span(cued).subspan(3);
    ExpectReadingOrder(order, pageRow.panelName);
    // Every button-like panel of the page is cued, and every label that leads somewhere; a
    // symbol is cued through the label it stands above.
    std::set<Control> expected;
    for (const auto& entry : layout::Controls()) {
      if (entry.page != page) continue;
      if (Clickable(entry.id) && entry.kind != Kind::Picture) expected.insert(entry.id);
    }
    EXPECT_EQ(std::set<Control>(order.begin(), order.end()), expected) << pageRow.panelName;
    EXPECT_TRUE(std::count(order.begin(), order.end(), KeysOf(page).escape)) << pageRow.panelName;
    if (const auto enter = KeysOf(page).enter) {
      EXPECT_TRUE(std::count(order.begin(), order.end(), *enter)) << pageRow.panelName;
    }
  }
}

}  // namespace
