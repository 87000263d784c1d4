// A held session: while one window has a session mode switched on, nothing
// else runs on the session and a lost link is not replaced behind its back.
#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "support/scripted/scriptedbackend.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class DbHold : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(script->LoadText("rule exact: select 1\n  result: a int\n  row: 1\n"));
        con.SetBackend(std::make_unique<TScriptedBackend>(script));
        con.Params().SetValue("User_Name", "sa");
        con.Open();
        con.SetAutoReconnect(true);
        mine = new TFDQuery(holder.get());
        mine->SetConnection(&con);
        other.SetConnection(&con);
    }
    int logins() const
    {
        const QList<TScriptEntry> log = script->Log();
        return int(
            std::count_if(log.begin(), log.end(), [](const TScriptEntry &e) { return e.kind == TScriptEntry::Login; }));
    }
    static TDBErrorKind kindOf(const std::function<void()> &run)
    {
        try {
            run();
        } catch (const EDBError &e) {
            return e.Kind();
        }
        return TDBErrorKind(-1);
    }

    std::shared_ptr<TScript> script = std::make_shared<TScript>();
    TFDConnection con;
    std::unique_ptr<QObject> holder = std::make_unique<QObject>();
    TFDQuery *mine = nullptr;
    TFDQuery other;
};

TEST_F(DbHold, OnlyTheHolderRunsUntilReleased)
{
    {
        TFDSessionHold hold(&con, holder.get());
        EXPECT_TRUE(con.SessionHeld());
        EXPECT_NO_THROW(mine->Open("select 1"));
        EXPECT_EQ(kindOf([&] { other.Open("select 1"); }), TDBErrorKind::Busy);
        EXPECT_EQ(kindOf([&] { con.ExecSQL("select 1"); }), TDBErrorKind::Busy);
        EXPECT_EQ(kindOf([&] { con.StartTransaction(); }), TDBErrorKind::Busy);
        QObject second;
        EXPECT_EQ(kindOf([&] { TFDSessionHold again(&con, &second); }), TDBErrorKind::Busy);
        EXPECT_NO_THROW(mine->Open("select 1"));
    }
    EXPECT_FALSE(con.SessionHeld());
    EXPECT_NO_THROW(other.Open("select 1"));
    EXPECT_EQ(script->Statements().filter("select 1").size(), 3);

    // A holder that goes away lets go of the session.
    con.HoldSession(holder.get());
    holder.reset();
    EXPECT_FALSE(con.SessionHeld());
    EXPECT_NO_THROW(other.Open("select 1"));
}

TEST_F(DbHold, ALostLinkIsNotReplacedWhileHeld)
{
    {
        TFDSessionHold hold(&con, holder.get());
        script->DropConnections();
        // Nothing answered: with reconnect on this would run again on a new
        // session, one without the holder's session mode.
        EXPECT_EQ(kindOf([&] { mine->Open("select 1"); }), TDBErrorKind::LinkLost);
        EXPECT_EQ(kindOf([&] { mine->Open("select 1"); }), TDBErrorKind::LinkLost);
        EXPECT_EQ(logins(), 1);
    }
    EXPECT_TRUE(con.AutoReconnect());
    EXPECT_NO_THROW(other.Open("select 1"));
    EXPECT_EQ(logins(), 2);
}

} // namespace
