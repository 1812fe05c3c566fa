#include "app/about_box.h"

namespace velanto {

CAboutBox::CAboutBox(wxWindow* parent) : TemplateDialog(parent, kAboutBoxTemplate) {
    FindWindow(kOkId)->SetFocus();
    CentreOnParent();
}

}  // namespace velanto
