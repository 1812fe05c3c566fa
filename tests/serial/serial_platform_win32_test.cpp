#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>

#include "serial/comm_state_win32.h"
#include "serial/manual_reset_event.h"

// The Windows layer where it needs no port: the device control block, the system's error texts,
// and waits on events.
namespace velanto {
namespace {

// A block as a device gives it, with settings of its own that no settings text names.
DCB DeviceBlock() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 4800;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.XonLim = 2048;
    dcb.EvtChar = '\x7E';
    dcb.ByteSize = 8;
    return dcb;
}

struct Applied {
    LineSettings line;
    BYTE parity;
    BYTE stopBits;
};

TEST(WindowsControlBlock, SettingsReachTheDevicesBlockAndTheRestOfItIsKept) {
    for (const Applied& c : {Applied{{115200, Parity::Odd, 7, StopBits::Two}, ODDPARITY, TWOSTOPBITS},
                             Applied{{9600, Parity::None, 8, StopBits::One}, NOPARITY, ONESTOPBIT},
                             Applied{{4800, Parity::Even, 8, StopBits::One}, EVENPARITY, ONESTOPBIT},
                             Applied{{4800, Parity::Mark, 5, StopBits::One}, MARKPARITY, ONESTOPBIT},
                             Applied{{300, Parity::Space, 6, StopBits::Two}, SPACEPARITY, TWOSTOPBITS}}) {
        DeviceControlBlock block;
        KeepNativeBlock(block, DeviceBlock());
        block.rtsControl = RTS_CONTROL_ENABLE;
        block.eventCharacter = 'q';
        const std::string what = std::to_string(c.line.baudRate) + " " + std::to_string(c.line.dataBits);
        ASSERT_TRUE(ApplyLineSettings(c.line, block)) << what;
        EXPECT_EQ(block.line, c.line) << what;
        const DCB written = NativeBlock(block);
        EXPECT_EQ(written.BaudRate, c.line.baudRate) << what;
        EXPECT_EQ(written.Parity, c.parity) << what;
        EXPECT_EQ(written.ByteSize, c.line.dataBits) << what;
        EXPECT_EQ(written.StopBits, c.stopBits) << what;
        EXPECT_EQ(written.fRtsControl, DWORD{RTS_CONTROL_ENABLE}) << what;
        EXPECT_TRUE(written.fBinary && written.fOutxCtsFlow) << what;
        EXPECT_EQ(written.fDtrControl, DWORD{DTR_CONTROL_HANDSHAKE}) << what;
        EXPECT_EQ(written.XonLim, 2048) << what;
        EXPECT_EQ(written.EvtChar, 'q') << what;
    }
}

TEST(WindowsControlBlock, RefusedSettingsSayWhyAndChangeNothing) {
    for (const std::uint32_t dataBits : {0u, 4u, 9u}) {
        DeviceControlBlock block;
        KeepNativeBlock(block, DeviceBlock());
        const DeviceControlBlock before = block;
        ::SetLastError(0);
        EXPECT_FALSE(ApplyLineSettings({9600, Parity::None, dataBits, StopBits::One}, block)) << dataBits;
        EXPECT_EQ(LastSystemError(), ERROR_INVALID_PARAMETER) << dataBits;
        EXPECT_EQ(block.native, before.native) << dataBits;
        EXPECT_EQ(block.line, before.line) << dataBits;
    }
}

// The error box shows the text as the system gives it, its own line end included.
TEST(WindowsErrorText, IsTheSystemsOwnAndNoneForAnUnknownCode) {
    for (const SystemErrorCode code :
         {SystemErrorCode{ERROR_FILE_NOT_FOUND}, SystemErrorCode{ERROR_ACCESS_DENIED}, DeviceLostError()}) {
        const std::string text = SystemErrorText(code);
        EXPECT_GT(text.size(), 2u) << code;
        EXPECT_TRUE(text.ends_with("\r\n")) << code << ": " << text;
        EXPECT_EQ(text.find('\0'), std::string::npos) << code;
    }
    EXPECT_EQ(SystemErrorText(0x2FFFFFFF), "");
}

// A port object without a device (kNoDevice) always has room to write and never a port event.
TEST(WindowsWait, EndsOnTheLowestReadyTargetAndNeverOnAnAbsentPortsEvents) {
    ManualResetEvent first;
    ManualResetEvent last;
    SerialPlatform& platform = DefaultSerialPlatform();
    const WaitTarget targets[] = {{WaitTarget::Kind::EventSet, first.Handle()},
                                  {WaitTarget::Kind::PortEvent, kNoDevice, EV_RXCHAR},
                                  {WaitTarget::Kind::EventSet, last.Handle()},
                                  {WaitTarget::Kind::RoomToWrite, kNoDevice}};
    const struct {
        bool firstSet;
        bool lastSet;
        std::size_t woken;
    } cases[] = {{false, false, 3}, {false, true, 2}, {true, true, 0}, {true, false, 0}};
    for (const auto& c : cases) {
        c.firstSet ? first.Set() : first.Reset();
        c.lastSet ? last.Set() : last.Reset();
        const std::optional<WaitOutcome> outcome = platform.WaitForAny(targets);
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->index, c.woken) << c.firstSet << c.lastSet;
        EXPECT_FALSE(outcome->deviceLost);
    }
    const WaitTarget unusable[] = {{WaitTarget::Kind::EventSet, 0}};
    EXPECT_FALSE(platform.WaitForAny(unusable)) << "a wait the system refuses ends at once";
}

}  // namespace
}  // namespace velanto
