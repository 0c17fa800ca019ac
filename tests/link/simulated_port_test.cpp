#include "regsim/simulated_port.h"

#include <gtest/gtest.h>

#include "link/test_program.h"
#include "link/transfer.h"

namespace tramond {
namespace {

using namespace tramond::test;

TEST(SimulatedRegisterPort, MemoryPersistsBetweenSessions) {
    ScratchDir dir("simport");
    TestProgram prog(dir.path, 3);
    const auto stateDir = dir.path / "state";
    ApplicationBlock app = prog.block;
    TextBlock text = prog.text;
    {
        regsim::SimulatedRegisterPort port(stateDir);
        RegisterLink link(port);
        ASSERT_TRUE(link.open({"SIM", 38400, false, 100}));
        FileTransfer xfer(link, app, text);
        xfer.programPath = prog.app;
        ASSERT_TRUE(xfer.sendRecords(5000, 0));  // department header: 4 records
        ASSERT_TRUE(xfer.transferFileKind(".dpt", 5000, TransferDirection::Send, 4, 4));
        link.close();
    }
    EXPECT_TRUE(std::filesystem::exists(stateDir / "register.dpt"));
    {
        regsim::SimulatedRegisterPort port(stateDir);
        RegisterLink link(port);
        ASSERT_TRUE(link.open({"SIM", 38400, false, 100}));
        ApplicationBlock back;
        TextBlock backText;
        FileTransfer xfer(link, back, backText);
        xfer.programPath = dir.path / "back.app";
        ASSERT_TRUE(xfer.requestRecords(5000, 0));
        EXPECT_EQ(back.u16(1059), 4);
        ASSERT_TRUE(xfer.transferFileKind(".dpt", 5000, TransferDirection::Receive, 4, 4));
        EXPECT_EQ(readAll(dir.path / "back.dpt"), readAll(prog.sibling(".dpt")));
    }
}

}  // namespace
}  // namespace tramond
