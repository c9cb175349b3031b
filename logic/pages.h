#pragma once

#include <string_view>

// The six pages of the page container, named as in the window.
enum TSetupPage { tsh0, tsh1, tsh2, tsh3, tsh4, tsh5 };

inline constexpr int kPageCount = 6;

std::string_view PageName(TSetupPage p);
