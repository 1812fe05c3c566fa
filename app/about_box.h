#pragma once

#include "app/template_dialog.h"

namespace velanto {

// The About box: the icon, "velanto 1.0" and an OK button.
class CAboutBox final : public TemplateDialog {
public:
    explicit CAboutBox(wxWindow* parent);
};

}  // namespace velanto
