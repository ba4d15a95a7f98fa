// Running instances of one executable: only one that started earlier counts, so two starts at
// the same moment refuse one, not each other, and an ended one refuses nothing.

#include "core/InstanceLock.h"

#include <gtest/gtest.h>

namespace {

TEST(InstanceLock, OnlyAnEarlierInstanceThatStillRunsCounts) {
    const QString executable = QStringLiteral("/opt/test/oneirion");
    auto first = std::make_unique<InstanceLock>(executable);
    InstanceLock second(executable);
    const InstanceLock elsewhere(QStringLiteral("/opt/other/oneirion"));
    EXPECT_FALSE(first->earlierInstanceRunning());
    EXPECT_TRUE(second.earlierInstanceRunning());
    EXPECT_EQ(second.otherInstances(), 1);
    EXPECT_FALSE(elsewhere.earlierInstanceRunning());
    first.reset();
    EXPECT_FALSE(second.earlierInstanceRunning());
    EXPECT_EQ(second.otherInstances(), 0);
}

} // namespace
