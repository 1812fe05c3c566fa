#include "app/template_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/fontenum.h>
#include <wx/listctrl.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/app_icon.h"
#include "app/app_strings.h"
#include "app/progress_bar.h"

namespace velanto {
namespace {

int WindowId(int templateId) { return templateId == kStaticId ? wxID_ANY : templateId; }

wxString Text(const char* utf8) { return wxString::FromUTF8(utf8); }

}  // namespace

wxFont DialogFont(const DialogTemplate& layout) {
    // SimSun under its Chinese name or its Latin name; else the Song (Ming) face Debian ships,
    // which is drawn like it, then any other face that renders Chinese.
    const wxString faces[] = {Text(layout.fontFace), "SimSun", "AR PL UMing CN", "WenQuanYi Zen Hei",
                              "Noto Sans CJK SC"};
    for (const wxString& face : faces) {
        if (wxFontEnumerator::IsValidFacename(face)) {
            return wxFontInfo(layout.pointSize).FaceName(face);
        }
    }
    return wxFontInfo(layout.pointSize);
}

TemplateDialog::TemplateDialog(wxWindow* parent, const DialogTemplate& layout, const ListViewFactory& makeListView)
    : wxDialog(parent, wxID_ANY, Text(layout.caption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_layout(layout) {
    SetFont(DialogFont(layout));
    for (const ControlTemplate& control : layout.controls) {
        CreateControl(control, makeListView);
    }
    SetClientSize(ToPixels({0, 0, layout.width, layout.height}).GetSize());
    SetAffirmativeId(kOkId);
    SetEscapeId(kCancelId);
    for (const int id : {kOkId, kCancelId}) {
        Bind(
            wxEVT_BUTTON, [this, id](wxCommandEvent&) { Finish(id); }, id);
    }
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Finish(kCancelId); });
    Bind(wxEVT_CHAR_HOOK, &TemplateDialog::OnCharHook, this);
}

void TemplateDialog::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (event.GetModifiers() != wxMOD_NONE) {
        event.Skip();
        return;
    }
    if (key == WXK_F1) {
        wxHelpEvent help(wxEVT_HELP, HelpContext(m_layout.id));
        help.SetEventObject(this);
        wxTheApp->ProcessEvent(help);
    } else if (key == WXK_ESCAPE) {
        Finish(kCancelId);
    } else if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        // The window the key came to: wx loses track of the focus inside a drop-down list,
        // where the toolkit focuses a button of its own.
        auto* focus = dynamic_cast<wxWindow*>(event.GetEventObject());
        if (auto* button = dynamic_cast<wxButton*>(focus)) {
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            click.SetEventObject(button);
            button->ProcessWindowEvent(click);
        } else if (!OnEnter(focus)) {
            event.Skip();
        }
    } else {
        event.Skip();
    }
}

bool TemplateDialog::OnEnter(wxWindow*) { return false; }

void TemplateDialog::Finish(int result) {
    if (IsModal()) {
        EndModal(result);
    }
}

bool IsWithin(const wxWindow* window, const wxWindow* ancestor) {
    for (; window; window = window->GetParent()) {
        if (window == ancestor) {
            return true;
        }
    }
    return false;
}

wxRect TemplateDialog::ToPixels(const DialogUnitRect& rect) const {
    const wxPoint topLeft = ConvertDialogToPixels(wxPoint(rect.x, rect.y));
    const wxPoint bottomRight = ConvertDialogToPixels(wxPoint(rect.x + rect.width, rect.y + rect.height));
    return {topLeft, bottomRight - wxPoint(1, 1)};
}

wxWindow* TemplateDialog::CreateControl(const ControlTemplate& control, const ListViewFactory& makeListView) {
    const wxRect rect = ToPixels(control.rect);
    const int id = WindowId(control.id);
    switch (control.kind) {
        case ControlKind::PushButton: {
            auto* button = new wxButton(this, id, Text(control.text), rect.GetPosition(), rect.GetSize());
            if (control.styles & ControlStyle::DefaultButton) {
                button->SetDefault();
            }
            return button;
        }
        case ControlKind::DropDownList:
            // The template height includes the opened list; the closed control keeps its natural height.
            return new wxChoice(this, id, rect.GetPosition(), wxSize(rect.width, -1), 0, nullptr,
                                (control.styles & ControlStyle::Sort) ? wxCB_SORT : 0);
        case ControlKind::ListView:
            return makeListView ? makeListView(this, control, rect.GetPosition(), rect.GetSize())
                                : new wxListCtrl(this, id, rect.GetPosition(), rect.GetSize(), wxLC_REPORT);
        case ControlKind::ProgressBar: return new ProgressBar(this, id, rect.GetPosition(), rect.GetSize());
        case ControlKind::GroupBox:
            return new wxStaticBox(this, id, Text(control.text), rect.GetPosition(), rect.GetSize());
        case ControlKind::StaticText: {
            auto* text = new wxStaticText(this, id, Text(control.text), rect.GetPosition(), rect.GetSize(),
                                          wxALIGN_LEFT | wxST_NO_AUTORESIZE);
            text->Wrap(rect.width);
            return text;
        }
        case ControlKind::IconPicture: return new wxStaticBitmap(this, id, AppIconBitmap(), rect.GetPosition());
    }
    return nullptr;
}

}  // namespace velanto
