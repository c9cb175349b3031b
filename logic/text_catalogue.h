#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "logic/controls.h"

// One row of the text catalogue: either two literal texts or a copy of another control's text,
// which an earlier row of the same pass has written.
struct TextRow {
  Control control;
  std::wstring_view german;
  std::wstring_view english;
  std::optional<Control> copyOf;
};

// The 24 rows in the order ApplyLanguage writes them.
std::span<const TextRow> TextCatalogue();
// The control's German text, for a copy the text it copies; empty for a control without a row.
std::wstring_view GermanText(Control c);

// In German only, the copy into lblRiloInstall also runs once right after this row (1-based).
inline constexpr int kGermanEarlyCopyAfterRow = 2;
inline constexpr Control kGermanEarlyCopyTarget = Control::lblRiloInstall;
