// The register's side of the line as the PC receives it: any bytes as
// answers to sent blocks and as received blocks, direct and networked.
#include "fuzz_support.h"
#include "link/block_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tramond;
    if (size < 2) return 0;
    fuzz::InputPort port({data + 2, size - 2});
    RegisterLink link(port);
    link.open({"FUZZ", 38400, false, 1});
    link.terminalNumber = static_cast<std::uint8_t>(data[0] % 25);
    const std::uint8_t payload[] = {'R', 0x00, 0x01, data[1]};
    for (int round = 0; round < 64 && !port.exhausted(); ++round) {
        link.setLinkError(kLinkOk);
        if (data[1] & 1) {
            (void)link.sendBlock(payload);
        } else {
            const int count = link.receiveBlock();
            if (count < 0 || count > 254) __builtin_trap();
        }
    }
    return 0;
}
