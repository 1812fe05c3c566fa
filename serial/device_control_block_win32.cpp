#include <cstring>
#include <string_view>

#include "serial/comm_state_win32.h"

namespace velanto {
namespace {

static_assert(sizeof(DCB) <= sizeof(DeviceControlBlock::native));

// By the DCB's parity codes: NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY.
constexpr std::string_view kParityLetters = "NOEMS";

BYTE ParityCode(char letter) {
    const std::size_t code = kParityLetters.find(letter);
    return code == std::string_view::npos ? NOPARITY : static_cast<BYTE>(code);
}

}  // namespace

DCB NativeBlock(const DeviceControlBlock& control) {
    DCB dcb{};
    std::memcpy(&dcb, control.native.data(), sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = control.baudRate;
    dcb.Parity = ParityCode(control.parity);
    dcb.ByteSize = static_cast<BYTE>(control.dataBits);
    dcb.StopBits = control.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fRtsControl = control.rtsControl;
    dcb.EvtChar = control.eventCharacter;
    return dcb;
}

void KeepNativeBlock(DeviceControlBlock& control, const DCB& dcb) {
    std::memcpy(control.native.data(), &dcb, sizeof dcb);
    control.baudRate = dcb.BaudRate;
    control.parity = dcb.Parity < kParityLetters.size() ? kParityLetters[dcb.Parity] : 'N';
    control.dataBits = dcb.ByteSize;
    control.stopBits = dcb.StopBits == TWOSTOPBITS ? 2 : 1;
    control.rtsControl = dcb.fRtsControl;
    control.eventCharacter = dcb.EvtChar;
}

// The system parses the settings over the block that GetCommState read. It takes 1.5 stop bits,
// which the block cannot carry: they are refused as the system refuses what it cannot parse.
bool BuildCommDcb(const std::string& settings, DeviceControlBlock& control) {
    DCB dcb = NativeBlock(control);
    if (!::BuildCommDCBA(settings.c_str(), &dcb)) {
        return false;
    }
    if (dcb.StopBits == ONE5STOPBITS) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    KeepNativeBlock(control, dcb);
    return true;
}

}  // namespace velanto
