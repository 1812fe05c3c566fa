#include "app/dialog_template.h"

namespace velanto {
namespace {

using namespace ControlStyle;
using enum ControlKind;

// The templates read as tables, one control a row.
// clang-format off
constexpr ControlTemplate kMainDialogControls[] = {
    {kCancelId, PushButton, "Cancel", 0, {226, 360, 50, 14}},
    {kPortComboId, DropDownList, "", Sort, {75, 289, 238, 50}},
    {kStartButtonId, PushButton, "Start", 0, {149, 360, 50, 14}},
    {kFormatComboId, DropDownList, "", Sort, {75, 314, 238, 42}},
    {kSaveButtonId, PushButton, "Save", 0, {301, 360, 50, 14}},
    {kRecordListId, ListView, "List1", 0, {7, 22, 353, 161}},
    {kProgressId, ProgressBar, "Progress1", 0, {7, 339, 353, 13}},
    {kStaticId, GroupBox, "Please follow the WI", 0, {7, 190, 353, 86}},
    {kStaticId, StaticText, "[1]Connect the COM of computer and RS232 of the detector with Serial cable", 0,
     {24, 204, 277, 20}},
    {kStaticId, StaticText,
     "[2]Open the detector and swith Serial, press the start button to begin the data inport", 0,
     {24, 224, 277, 20}},
    {kStaticId, StaticText, "[3]Select storage format\uFF0Cclick the Save button to save data", 0,
     {24, 244, 319, 21}},
    {kStaticId, GroupBox, "Data upload options", 0, {7, 276, 353, 62}},
    {kStaticId, StaticText, "serial port", 0, {24, 289, 46, 13}},
    {kStaticId, StaticText, "retained mode", 0, {18, 314, 53, 14}},
    {kStaticId, GroupBox, "Record data display", 0, {7, 7, 353, 183}},
};

constexpr ControlTemplate kAboutBoxControls[] = {
    {kStaticId, IconPicture, "", 0, {11, 17, 20, 20}},
    {kStaticId, StaticText, "velanto 1.0", 0, {39, 23, 119, 8}},
    {kOkId, PushButton, "OK", DefaultButton, {178, 7, 50, 14}},
};

constexpr const char* kDialogFontFace = "\u5B8B\u4F53";  // 宋体

}  // namespace

const DialogTemplate kAboutBoxTemplate = {100, "About velanto", 235, 55, kDialogFontFace, 9, kAboutBoxControls};

const DialogTemplate kMainDialogTemplate = {
    102, "Data updating program for the reault of ATP fluorescence detector ", 367, 381, kDialogFontFace, 9,
    kMainDialogControls};
// clang-format on

}  // namespace velanto
