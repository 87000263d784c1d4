#include "platform/process/runner.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList run(const QString &commandLine, bool *started = nullptr)
{
    QStringList lines;
    const bool ok = RunCommandLines(commandLine, [&](const QString &line) { lines << line; });
    if (started)
        *started = ok;
    return lines;
}

struct RunCase
{
    const char *name;
    QString commandLine;
    QStringList lines;
};

TEST(RunCommandLines, HandsOverEveryLine)
{
    const RunCase cases[] = {
        {"CR LF, last line without end", QStringLiteral(R"(printf "a\r\nb")"), {"a", "b"}},
        {"LF and an empty line", QStringLiteral(R"(printf "x\n\ny\n")"), {"x", "", "y"}},
        {"nothing", QStringLiteral("true"), {}},
        {"UTF-8 output", QStringLiteral(R"(printf "表示\n")"), {QStringLiteral("表示")}},
        {"error output too", QStringLiteral(R"(sh -c "echo エラー 1>&2")"), {QStringLiteral("エラー")}},
        {"quoted argument with a blank", QStringLiteral(R"(printf "%s\n" "/a b/"c)"), {"/a b/c"}},
    };
    for (const RunCase &c : cases) {
        SCOPED_TRACE(c.name);
        bool started = false;
        EXPECT_EQ(run(c.commandLine, &started), c.lines);
        EXPECT_TRUE(started);
    }
}

TEST(RunCommandLines, ReadsLongOutputWhileTheProgramRuns)
{
    const QStringList lines = run(QStringLiteral("seq 1 20000"));
    ASSERT_EQ(lines.size(), 20000);
    EXPECT_EQ(lines.first(), "1");
    EXPECT_EQ(lines.last(), "20000");
}

TEST(RunCommandLines, ReportsAProgramThatCannotStart)
{
    bool started = true;
    EXPECT_TRUE(run(QStringLiteral("/no/such/program -x"), &started).isEmpty());
    EXPECT_FALSE(started);
    EXPECT_FALSE(RunCommandLines(QString(), [](const QString &) {}));
}

} // namespace
