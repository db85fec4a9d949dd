// Priority tables and the information text, without any window.
#include <gtest/gtest.h>

#include <string>

#include "cmdline/cmdline.h"
#include "ui/info_text.h"
#include "ui/priority.h"

namespace {

TEST(Priority, ProcessIndexesClampToIdleAndRealtime) {
    struct Case {
        int32_t index;
        uint32_t priorityClass;
    } cases[] = {
        {INT32_MIN, 0x40}, {-4, 0x40}, {0, 0x40},  {1, 0x20},
        {2, 0x80},         {3, 0x100}, {9, 0x100}, {INT32_MAX, 0x100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProcessPriorityClassFor(c.index), c.priorityClass) << c.index;
}

TEST(Priority, ThreadIndexesClampToIdleAndTimeCritical) {
    const int32_t expected[] = {-15, -2, -1, 0, 1, 2, 15};
    for (int32_t i = 0; i < 7; i++)
        EXPECT_EQ(ThreadPriorityFor(i), expected[i]) << i;
    EXPECT_EQ(ThreadPriorityFor(-1), -15);
    EXPECT_EQ(ThreadPriorityFor(7), 15);
    EXPECT_EQ(ThreadPriorityFor(INT32_MIN), -15);
}

void Append(const char* piece, void* text) {
    *(std::string*)text += piece;
}

std::string Compose(const OptionEntry* table, uint32_t count) {
    char scratch[INFO_TEXT_SIZE];
    EXPECT_TRUE(FormatInfoHeader(scratch, sizeof scratch, "Quorvel for GetRight", "Version 0.10",
                                 "Oct 12 2008", "16:31:20"));
    std::string text;
    EmitInfoPieces(scratch, table, count, Append, &text);
    return text;
}

const char kHeader[] = "Quorvel for GetRight - Version 0.10 \r\r\n"
                       "Written by: Veskaran, Oct 12 2008, 16:31:20\r\r\n"
                       "for updates check: " QUORVEL_UPDATES_ADDRESS "\r\r\n"
                       "or email to: " QUORVEL_CONTACT_ADDRESS "\r\r\n"
                       "\r\r\n"
                       "This program generates a GRX file for GetRight.\r\r\n"
                       "\r\r\n"
                       "The following command line parameters are supported:\r\r\n";

TEST(InfoText, AnEmptyOptionTableEndsWithTheOptionsLine) {
    EXPECT_EQ(Compose(nullptr, 0), kHeader);
}

TEST(InfoText, ListsEveryOptionOfTheProgramInOrder) {
    std::string text = Compose(OptionTable, OptionCount);
    std::string expected = kHeader;
    expected += "-rc: clear registry entries for this program\r\r\n"
                "-rd: disable use of the registry for this program\r\r\n"
                "-pp=n: set process priority for dialog\r\r\n"
                "       (0:idle, 1:normal, 2:high, 3:realtime)\r\r\n"
                "-pt=n: set priority for processing thread\r\r\n"
                "       (0:idle, 1:lowest, 2:below normal, 3:normal,\r\r\n"
                "        4:above normal, 5:highest, 6:time critical)\r\r\n";
    EXPECT_EQ(text, expected);
}

TEST(InfoText, TheHeaderFitsWithRoomToSpareAndLongFieldsAreCut) {
    char text[INFO_TEXT_SIZE];
    ASSERT_TRUE(FormatInfoHeader(text, sizeof text, "Quorvel for GetRight", "Version 0.10",
                                 "Oct 12 2008", "16:31:20"));
    EXPECT_LT(std::string(text).size(), 200u);
    std::string longTitle(300, 't');
    EXPECT_FALSE(FormatInfoHeader(text, sizeof text, longTitle.c_str(), "v", "d", "t"));
    EXPECT_EQ(std::string(text).size(), sizeof text - 1);
}

} // namespace
