#pragma once

namespace velanto {

struct IconOrigin {
    int x, y;
};

// Where a minimised window draws its icon: centred in the client area, in signed
// division that truncates toward zero, so a client narrower than the icon puts it at 0
// until the difference reaches two pixels.
constexpr IconOrigin MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

}  // namespace velanto
