#pragma once

namespace velanto {

// The program's own texts, in UTF-8.
inline constexpr const char* kAboutItemText = "\u5173\u4E8E velanto(&A)...";  // 关于 velanto(&A)...
inline constexpr int kAboutCommand = 16;
inline constexpr const char* kPortNotFoundText =
    "If you can't find the Serial connector or the Serial connector has been took up";
inline constexpr const char* kSystemErrorTitle = "Application Error";
// Followed by the path of the help book that F1 could not find.
inline constexpr const char* kHelpBookMissingText = "Can't find the help file ";

// Help contexts: 0x20000 plus the number of the dialog's template.
constexpr int HelpContext(int templateId) { return 0x20000 + templateId; }

}  // namespace velanto
