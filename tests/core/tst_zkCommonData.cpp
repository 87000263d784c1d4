#include "core/zkCommonData.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

TEST(ConnectionManager, TextColourIsTheBackgroundLessNinetySixPerChannelWrapping)
{
    struct Case
    {
        TColor background, text;
    };
    const Case cases[] = {
        {RGBColor(255, 255, 255), RGBColor(159, 159, 159)},
        {RGBColor(0, 0, 0), RGBColor(160, 160, 160)},
        {RGBColor(96, 200, 30), RGBColor(0, 104, 190)},
        {RGBColor(50, 96, 97), RGBColor(210, 0, 1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.background);
        EXPECT_EQ(TzkConnectionManager::GetInvertColor(c.background), c.text);
    }
    // A system colour goes through its current RGB value; a bad one falls back.
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(TzkConnectionManager::GetInvertColor(clBtnFace), TzkConnectionManager::GetInvertColor(face));
    EXPECT_EQ(TzkConnectionManager::GetInvertColor(TColor(0xFF0000EEu)), clBtnFace);
    EXPECT_EQ(ColorToQColor(RGBColor(1, 2, 3)), QColor(1, 2, 3));
}

TEST(ConnectionManager, FirstRegistrationOfASessionKeepsItsColours)
{
    TzkConnectionManager m;
    m.AddConnection(10, 7, "sa", "master", "db1", RGBColor(255, 0, 0));
    m.AddConnection(11, 7, "sa", "master", "db1", RGBColor(0, 0, 255));
    EXPECT_EQ(m.GetBackgroundColor(7), RGBColor(255, 0, 0));
    EXPECT_EQ(m.GetForegroundColor(7), RGBColor(159, 160, 160));
    EXPECT_EQ(m.GetSessionID(10), 7);
    EXPECT_EQ(m.GetSessionID(11), 7); // the second window is registered all the same
}

TEST(ConnectionManager, EmptyNamesAreRefusedInOrderAndRegisterNothing)
{
    TzkConnectionManager m;
    struct Case
    {
        const char *user, *db, *server, *message;
    };
    const Case cases[] = {
        {"", "", "", "User name [i_sUser]"},
        {"u", "", "", "Database name [i_sDatabase]"},
        {"u", "d", "", "Server name [i_sServer]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            m.AddConnection(1, 2, c.user, c.db, c.server, RGBColor(255, 255, 255));
            FAIL();
        } catch (const EArgumentException &e) {
            EXPECT_EQ(e.message(), c.message);
        }
    }
    EXPECT_EQ(m.GetSessionID(1), 0);
    EXPECT_EQ(m.GetBackgroundColor(2), clBtnFace);
}

TEST(ConnectionManager, WindowsMoveOnlyThroughChangeSessionID)
{
    TzkConnectionManager m;
    m.AddConnection(1, 100, "u", "d", "s", RGBColor(255, 255, 255));
    m.AddConnection(2, 200, "u", "d", "s2", RGBColor(0, 0, 0));
    m.AddHandle(5, 100);
    m.AddHandle(5, 200);
    EXPECT_EQ(m.GetSessionID(5), 100);
    m.ChangeSessionID(5, 200);
    EXPECT_EQ(m.GetSessionID(5), 200);
    m.ChangeSessionID(6, 100); // unknown: registered
    EXPECT_EQ(m.GetSessionID(6), 100);
    m.RemoveHandle(6);
    m.RemoveHandle(99);
    EXPECT_EQ(m.GetSessionID(6), 0);
}

TEST(ConnectionManager, WindowsOfARemovedSessionPaintInSystemColours)
{
    TzkConnectionManager m;
    m.AddConnection(1, 100, "u", "d", "s", RGBColor(10, 20, 30));
    m.AddHandle(5, 100);
    m.RemoveConnection(1, 100);
    EXPECT_EQ(m.GetSessionID(1), 0);
    EXPECT_EQ(m.GetSessionID(5), 100);
    EXPECT_EQ(m.GetBackgroundColor(m.GetSessionID(5)), clBtnFace);
    EXPECT_EQ(m.GetForegroundColor(m.GetSessionID(5)), clBtnText);
    EXPECT_EQ(m.GetBackgroundColor(0), clBtnFace);
}

TEST(ConnectionManager, FormIdsAreNeverZeroAndNeverRepeat)
{
    QSet<int> seen;
    for (int i = 0; i < 10000; ++i) {
        const int id = NewFormID();
        ASSERT_NE(id, 0);
        ASSERT_FALSE(seen.contains(id));
        seen.insert(id);
    }
}

} // namespace
