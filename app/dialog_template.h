#pragma once

#include <span>

namespace velanto {

// The kinds of control a dialog template lays out.
enum class ControlKind { PushButton, DropDownList, ListView, ProgressBar, GroupBox, StaticText, IconPicture };

// The control styles velanto acts on, named after the Windows styles the templates carry.
namespace ControlStyle {
inline constexpr unsigned Sort = 1u << 0;           // CBS_SORT
inline constexpr unsigned DefaultButton = 1u << 1;  // BS_DEFPUSHBUTTON
}  // namespace ControlStyle

// A rectangle in dialog units: horizontal units are a quarter of the dialog font's
// average character width, vertical units an eighth of its height.
struct DialogUnitRect {
    int x, y, width, height;
};

inline constexpr int kStaticId = -1;  // a control that nothing addresses

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8
    unsigned styles;
    DialogUnitRect rect;
};

struct DialogTemplate {
    int id;
    const char* caption;  // UTF-8
    int width, height;    // client area, in dialog units
    const char* fontFace;
    int pointSize;
    std::span<const ControlTemplate> controls;  // template order, which is also the tab order
};

// Control ids of the main dialog.
inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;
inline constexpr int kPortComboId = 1000;
inline constexpr int kStartButtonId = 1001;
inline constexpr int kFormatComboId = 1002;
inline constexpr int kSaveButtonId = 1004;
inline constexpr int kRecordListId = 1005;
inline constexpr int kProgressId = 1006;

extern const DialogTemplate kAboutBoxTemplate;    // template 100
extern const DialogTemplate kMainDialogTemplate;  // template 102

}  // namespace velanto
