#include "app/app_icon.h"

#include <wx/gdicmn.h>
#include <wx/icon.h>
#include <wx/image.h>

#include "app/resources/velanto_16_colours.xpm"
#include "app/resources/velanto_256_colours.xpm"

namespace velanto {

wxBitmap AppIconBitmap() { return wxBitmap(wxDisplayDepth() < 8 ? velanto_16_colours_xpm : velanto_256_colours_xpm); }

wxIconBundle AppIconBundle() {
    const wxBitmap big = AppIconBitmap();
    const wxBitmap small(big.ConvertToImage().Scale(16, 16, wxIMAGE_QUALITY_HIGH));
    wxIconBundle bundle;
    for (const wxBitmap& image : {big, small}) {
        wxIcon icon;
        icon.CopyFromBitmap(image);
        bundle.AddIcon(icon);
    }
    return bundle;
}

}  // namespace velanto
