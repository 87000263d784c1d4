#include "common/testenv.h"
#include "core/zkreg.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ZkRegistry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::resetRegistry();
        ASSERT_TRUE(reg.OpenKey("\\Software\\Quillmark\\ZKS25R", true));
        reg.WriteString("Text", "hello");
        reg.WriteString("EmptyText", "");
        reg.WriteString("NumberText", "12");
        reg.WriteInteger("Int", 42);
        reg.WriteInteger("Two", 2);
        reg.WriteInteger("Zero", 0);
        reg.WriteFloat("Double", 1.5);
        reg.WriteBinary("FourBytes", QByteArray("\1\2\3\4", 4));
    }
    TzkRegistry reg;
};

// Every typed read: a good value, a missing one, one of another type or size.
TEST_F(ZkRegistry, TypedReadsFallBackToTheDefault)
{
    struct Case
    {
        const char *name;
        QString got;
        QString want;
    };
    const Case cases[] = {
        {"string good", reg.GetString("Text", "d"), "hello"},
        {"string missing", reg.GetString("Missing", "d"), "d"},
        {"string empty", reg.GetString("EmptyText", "d"), "d"},
        {"string of integer", reg.GetString("Int", "d"), "d"},
        {"integer good", QString::number(reg.GetInteger("Int", -1)), "42"},
        {"integer missing", QString::number(reg.GetInteger("Missing", -1)), "-1"},
        {"integer of text", QString::number(reg.GetInteger("NumberText", -1)), "-1"},
        {"integer of binary", QString::number(reg.GetInteger("FourBytes", -1)), "-1"},
        {"bool of 2", QString::number(reg.GetBool("Two", false)), "1"},
        {"bool of 0", QString::number(reg.GetBool("Zero", true)), "0"},
        {"bool missing", QString::number(reg.GetBool("Missing", true)), "1"},
        {"bool of text", QString::number(reg.GetBool("Text", true)), "1"},
        {"float good", QString::number(reg.GetFloat("Double", 9)), "1.5"},
        {"float missing", QString::number(reg.GetFloat("Missing", 9)), "9"},
        {"float of 4 bytes", QString::number(reg.GetFloat("FourBytes", 9)), "9"},
        {"float of integer", QString::number(reg.GetFloat("Int", 9)), "9"},
        {"datetime good", QString::number(reg.GetDateTime("Double", 9)), "1.5"},
        {"date of 4 bytes", QString::number(reg.GetDate("FourBytes", 9)), "9"},
        {"time missing", QString::number(reg.GetTime("Missing", 9)), "9"},
        {"currency good", QString::number(reg.GetCurrency("Double", 9)), "1.5"},
        {"currency of text", QString::number(reg.GetCurrency("Text", 9)), "9"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.want);
    }
}

} // namespace
