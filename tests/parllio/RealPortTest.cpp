#include "LinuxKernel.h"
#include "ParallelPorts.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace parllio {
namespace {

// Only where the machine has a printer port this user may open. It writes back
// what it reads, so a board on the port sees its lines unchanged.
TEST(RealPort, ClaimsPortOneAndReadsBackWhatItWrites) {
    if (access("/dev/parport0", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no /dev/parport0 this user can open";
    }
    LinuxKernel kernel;
    ParallelPorts ports(kernel);
    ParallelPortInfo info{12, 0, 0};
    ASSERT_EQ(ports.Info(1, &info), 1);
    ASSERT_EQ(ports.Claim(1), 1) << "see the message above";
    const std::int32_t base = info.base_address;

    const std::int32_t data = ports.In(base);
    ports.Out(base, data);
    EXPECT_EQ(ports.In(base), data);

    const std::int32_t control = ports.In(base + 2);
    ports.Out(base + 2, control);
    EXPECT_EQ(ports.In(base + 2), control);
    EXPECT_EQ(ports.Release(1), 1);
}

} // namespace
} // namespace parllio
