#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace velanto {

// The application icon at 32 x 32, in 256 colours or, on displays of fewer than 256
// colours, in the 16-colour palette; with its 16 x 16 reduction as the small icon.
wxIconBundle AppIconBundle();

// The 32 x 32 image the display shows best, for the About box's picture.
wxBitmap AppIconBitmap();

}  // namespace velanto
