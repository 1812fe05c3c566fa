#include <gtest/gtest.h>

#include <optional>
#include <span>

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
    const char* settings;
    DWORD baudRate;
    BYTE parity;
    BYTE byteSize;
    BYTE stopBits;
};

TEST(WindowsControlBlock, SettingsReachTheDevicesBlockAndTheRestOfItIsKept) {
    for (const Applied& c : {Applied{"baud=115200 parity=o data=7 stop=2", 115200, ODDPARITY, 7, TWOSTOPBITS},
                             Applied{"baud=9600 parity=N data=8 stop=1", 9600, NOPARITY, 8, ONESTOPBIT},
                             Applied{"parity=e", 4800, EVENPARITY, 8, ONESTOPBIT},
                             Applied{"parity=m data=5", 4800, MARKPARITY, 5, ONESTOPBIT},
                             Applied{"parity=s data=6", 4800, SPACEPARITY, 6, ONESTOPBIT}}) {
        DeviceControlBlock block;
        KeepNativeBlock(block, DeviceBlock());
        block.rtsControl = RTS_CONTROL_ENABLE;
        block.eventCharacter = 'q';
        ASSERT_TRUE(BuildCommDcb(c.settings, block)) << c.settings;
        const DCB written = NativeBlock(block);
        EXPECT_EQ(written.BaudRate, c.baudRate) << c.settings;
        EXPECT_EQ(written.Parity, c.parity) << c.settings;
        EXPECT_EQ(written.ByteSize, c.byteSize) << c.settings;
        EXPECT_EQ(written.StopBits, c.stopBits) << c.settings;
        EXPECT_EQ(written.fRtsControl, DWORD{RTS_CONTROL_ENABLE}) << c.settings;
        EXPECT_TRUE(written.fBinary && written.fOutxCtsFlow) << c.settings;
        EXPECT_EQ(written.fDtrControl, DWORD{DTR_CONTROL_HANDSHAKE}) << c.settings;
        EXPECT_EQ(written.XonLim, 2048) << c.settings;
        EXPECT_EQ(written.EvtChar, 'q') << c.settings;
    }
}

// Stop bits of 1.5 the system takes, but the block cannot carry: taken, they would become 1.
TEST(WindowsControlBlock, RefusedSettingsSayWhyAndChangeNothing) {
    for (const char* settings :
         {"   ", "baud=-9600", "baud=96OO", "parity=X", "parity=NN", "data=4", "data=9", "stop=0", "stop=1.5",
          "speed=9600", "baud", "baud=9600 parity=N data=8 stop=3", "baud=9600 parity=N data=8 stop=1 x"}) {
        DeviceControlBlock block;
        KeepNativeBlock(block, DeviceBlock());
        const DeviceControlBlock before = block;
        ::SetLastError(0);
        EXPECT_FALSE(BuildCommDcb(settings, block)) << settings;
        EXPECT_EQ(LastSystemError(), ERROR_INVALID_PARAMETER) << settings;
        EXPECT_EQ(block.native, before.native) << settings;
        EXPECT_EQ(block.baudRate, before.baudRate) << settings;
        EXPECT_EQ(block.stopBits, before.stopBits) << settings;
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
