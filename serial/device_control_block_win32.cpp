#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "serial/comm_state_win32.h"

namespace velanto {
namespace {

static_assert(sizeof(DCB) <= sizeof(DeviceControlBlock::native));

// By the DCB's parity codes: NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY.
constexpr Parity kParities[] = {Parity::None, Parity::Odd, Parity::Even, Parity::Mark, Parity::Space};
constexpr std::string_view kParityLetters = "NOEMS";

BYTE ParityCode(Parity parity) { return static_cast<BYTE>(std::ranges::find(kParities, parity) - kParities); }

// The settings text that BuildCommDCBA parses, such as "baud=9600 parity=N data=8 stop=1".
std::string SettingsText(const LineSettings& line) {
    char text[64];
    std::snprintf(text, sizeof text, "baud=%u parity=%c data=%u stop=%u", line.baudRate,
                  kParityLetters[ParityCode(line.parity)], line.dataBits, line.stopBits == StopBits::Two ? 2u : 1u);
    return text;
}

}  // namespace

DCB NativeBlock(const DeviceControlBlock& control) {
    DCB dcb{};
    std::memcpy(&dcb, control.native.data(), sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = control.line.baudRate;
    dcb.Parity = ParityCode(control.line.parity);
    dcb.ByteSize = static_cast<BYTE>(control.line.dataBits);
    dcb.StopBits = control.line.stopBits == StopBits::Two ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fRtsControl = control.rtsControl;
    dcb.EvtChar = control.eventCharacter;
    return dcb;
}

void KeepNativeBlock(DeviceControlBlock& control, const DCB& dcb) {
    std::memcpy(control.native.data(), &dcb, sizeof dcb);
    control.line.baudRate = dcb.BaudRate;
    control.line.parity = dcb.Parity < std::size(kParities) ? kParities[dcb.Parity] : Parity::None;
    control.line.dataBits = dcb.ByteSize;
    control.line.stopBits = dcb.StopBits == TWOSTOPBITS ? StopBits::Two : StopBits::One;
    control.rtsControl = dcb.fRtsControl;
    control.eventCharacter = dcb.EvtChar;
}

// The system parses the settings text over the block that GetCommState read, and refuses what the line
// cannot take.
bool ApplyLineSettings(const LineSettings& line, DeviceControlBlock& control) {
    DCB dcb = NativeBlock(control);
    if (!::BuildCommDCBA(SettingsText(line).c_str(), &dcb)) {
        return false;
    }
    KeepNativeBlock(control, dcb);
    return true;
}

}  // namespace velanto
