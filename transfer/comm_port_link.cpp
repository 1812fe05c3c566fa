#include "dump/detector_protocol.h"
#include "transfer/serial_link.h"

namespace velanto {
namespace {

constexpr std::uint32_t kWriteBufferSize = 512;
constexpr std::uint32_t kEventMask = EV_RXCHAR | EV_RXFLAG;

class CommPortLink final : public SerialLink {
public:
    explicit CommPortLink(SystemErrorBox& errorBox) : m_port(errorBox) {}

    PortOpenFailure Open(int portNumber, PortOwner& owner) override {
        if (!m_port.OpenPort(&owner, portNumber, kDetectorLine, kEventMask, kWriteBufferSize)) {
            return m_port.LastOpenFailure();
        }
        m_port.StartMonitor();
        return PortOpenFailure::None;
    }
    void Send(std::uint8_t byte) override { m_port.QueueWrite(&byte, 1); }
    bool HasUnhandledInput() override { return m_port.HasUnhandledInput(); }
    void SignalShutdown() override { m_port.SignalShutdown(); }

private:
    CCommPort m_port;
};

}  // namespace

std::unique_ptr<SerialLink> MakeCommPortLink(SystemErrorBox& errorBox) {
    return std::make_unique<CommPortLink>(errorBox);
}

}  // namespace velanto
