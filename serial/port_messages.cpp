#include "serial/port_messages.h"

namespace velanto {

unsigned PortMessageFor(LineEvent event) {
    switch (event) {
        case LineEvent::Break: return WM_PORT_BREAK;
        case LineEvent::ClearToSend: return WM_PORT_CTS;
        case LineEvent::LineError: return WM_PORT_ERR;
        case LineEvent::Ring: return WM_PORT_RING;
        case LineEvent::EventCharacter: return WM_PORT_RXFLAG;
        case LineEvent::WriteEnded: break;
    }
    return WM_PORT_TXEMPTY;
}

}  // namespace velanto
