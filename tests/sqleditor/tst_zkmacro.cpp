// Key macros: the states, recording from keys and committed text, replay,
// and the macro files.

#include "memohost.h"

#include "sqleditor/zkmacro.h"

#include <QAction>
#include <QFile>
#include <QInputMethodEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TKeyMacroData item(quint32 Msg, quint16 Code, qint32 KeyData = 1, quint8 Shift = 0, quint8 Ctrl = 0, quint8 Alt = 0)
{
    return TKeyMacroData{Msg, Code, KeyData, Shift, Ctrl, Alt};
}

void commit(QWidget *w, const QString &text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(w, &e);
}

// Counts the paints of a widget.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

TEST(ZkMacroList, StateTable)
{
    TzkMacroList list;
    EXPECT_EQ(list.Status(), msNone);
    EXPECT_FALSE(list.BeginRun()); // nothing recorded
    list.BeginRec();
    list.Add(item(CN_CHAR, 'a'));
    EXPECT_EQ(list.Status(), msRecording);
    EXPECT_FALSE(list.BeginRun());
    list.BeginRec(); // no restart while recording
    EXPECT_EQ(list.Count(), 1);
    list.EndRec();
    EXPECT_EQ(list.Status(), msWaiting);
    ASSERT_TRUE(list.BeginRun());
    list.BeginRec(); // nothing while running
    EXPECT_EQ(list.Status(), msRunning);
    list.CancelExec();
    EXPECT_EQ(list.Status(), msWaiting);
    list.BeginRec(); // a new recording starts empty
    EXPECT_EQ(list.Count(), 0);
    list.Add(item(CN_CHAR, 'b'));
    list.CancelRec();
    EXPECT_EQ(list.Status(), msNone);
    EXPECT_EQ(list.Count(), 0);
    list.EndRec();
    list.CancelExec();
    EXPECT_EQ(list.Status(), msNone);
    list.BeginRec();
    list.EditorGone();
    EXPECT_EQ(list.Status(), msWaiting);
}

TEST(ZkMacroList, FileLines)
{
    EXPECT_EQ(MacroDataToLine(item(CN_KEYDOWN, 36, -1, 128, 1, 0)),
              QStringLiteral("\"48384\",\"36\",\"-1\",\"128\",\"1\",\"0\""));
    struct Case
    {
        const char *name;
        const char *line;
        bool ok;
        TKeyMacroData data;
    } cases[] = {
        {"as written", R"("48386","97","1","0","128","0")", true, item(CN_CHAR, 97, 1, 0, 128)},
        {"unquoted with blanks", "646, 12354, 1 ,0,0,0", true, item(WM_IME_CHAR, 12354)},
        {"char code cut to 16 bits", R"("48386","65601","1","0","0","0")", true, item(CN_CHAR, 65)},
        {"key data cut to 32 bits", R"("48384","13","4294967297","0","0","256")", true, item(CN_KEYDOWN, 13, 1)},
        {"five fields", R"("48386","97","1","0","0")", false, {}},
        {"seven fields", R"("48386","97","1","0","0","0","0")", false, {}},
        {"empty field", R"("48386","","1","0","0","0")", false, {}},
        {"not a number", R"("48386","a","1","0","0","0")", false, {}},
        {"other message", R"("256","97","1","0","0","0")", false, {}},
        {"empty line", "", false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TKeyMacroData d;
        EXPECT_EQ(MacroLineToData(QString::fromUtf8(c.line), d), c.ok);
        if (c.ok)
            EXPECT_EQ(d, c.data);
    }
}

TEST(ZkMacro, SaveAndLoadKeepEveryField)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.zkmcr"));
    TzkMacroList list;
    MemoHost host;
    host->SetMacroList(&list);

    host->SaveMacroFile(path); // nothing recorded: no file
    EXPECT_FALSE(QFile::exists(path));

    host->BeginMacroRec();
    list.Add(item(CN_KEYDOWN, 36, 21430273, 129, 0, 0));
    list.Add(item(WM_IME_CHAR, 0x3042, -5, 0, 128, 1));
    const auto recorded = list.Items();
    host->SaveMacroFile(path);
    EXPECT_EQ(list.Status(), msWaiting);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\"48384\",\"36\",\"21430273\",\"129\",\"0\",\"0\"\r\n"
                                      "\"646\",\"12354\",\"-5\",\"0\",\"128\",\"1\"\r\n"));
    f.close();

    list.Clear();
    ASSERT_TRUE(host->LoadMacroFile(path));
    EXPECT_EQ(list.Items(), recorded);
    EXPECT_EQ(list.Status(), msWaiting);
}

TEST(ZkMacro, LoadStopsAtTheFirstMalformedLine)
{
    QTemporaryDir dir;
    auto write = [&dir](const char *name, const QByteArray &data) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return path;
    };
    TzkMacroList list;
    MemoHost host;
    host->SetMacroList(&list);
    EXPECT_FALSE(host->LoadMacroFile(write("bad", "\"48386\",\"97\",\"1\",\"0\",\"0\",\"0\"\r\n"
                                                  "\"48386\",\"98\",\"1\",\"0\",\"0\"\r\n"
                                                  "\"48386\",\"99\",\"1\",\"0\",\"0\",\"0\"\r\n")));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(0).CharCode, 'a');
    EXPECT_EQ(list.Status(), msWaiting);

    EXPECT_FALSE(host->LoadMacroFile(write("empty", "")));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(host->LoadMacroFile(dir.filePath(QStringLiteral("missing"))), std::runtime_error);
    EXPECT_EQ(list.Status(), msWaiting);
}

TEST(ZkMacro, RecordsKeysAndCommittedTextAndReplaysThem)
{
    TzkMacroList list;
    MemoHost host;
    host->SetMacroList(&list);
    host->BeginMacroRec();
    QTest::keyClicks(host.memo, QStringLiteral("ab"));
    QTest::keyClick(host.memo, Qt::Key_F, Qt::AltModifier); // a system key
    commit(host.memo, QStringLiteral("日本語"));
    QTest::keyClick(host.memo, Qt::Key_Return);
    QTest::keyClicks(host.memo, QStringLiteral("cd"));
    QTest::keyClick(host.memo, Qt::Key_Home, Qt::ShiftModifier);
    host->EndMacroRec();
    ASSERT_EQ(host.text(), QStringLiteral("ab日本語\r\ncd"));

    int ime = 0, chars = 0, keys = 0;
    for (const TKeyMacroData &d : list.Items()) {
        ime += d.Msg == WM_IME_CHAR;
        chars += d.Msg == CN_CHAR;
        keys += d.Msg == CN_KEYDOWN;
        EXPECT_EQ(d.Alt, 0);
    }
    EXPECT_EQ(ime, 3);
    EXPECT_EQ(chars, 5); // a b Enter c d
    EXPECT_EQ(keys, 6);  // the same and Home; Alt+F none
    EXPECT_EQ(list.Items().back(), item(CN_KEYDOWN, 0x24, 1, KeyStateDown));

    MemoHost other;
    other->SetMacroList(&list);
    other->ExecMacro();
    EXPECT_EQ(other.text(), QStringLiteral("ab日本語\r\ncd"));
    EXPECT_EQ(other->SelText(), QStringLiteral("cd"));
    EXPECT_EQ(list.Status(), msWaiting);
}

TEST(ZkMacro, AWindowsFileReplaysIntoTheText)
{
    TzkMacroList list;
    MemoHost host;
    host->SetMacroList(&list);
    ASSERT_TRUE(host->LoadMacroFile(QStringLiteral(ZK_FIXTURES_DIR "/macro/windows.zkmcr")));
    EXPECT_EQ(list.Count(), 10);
    host->ExecMacro();
    EXPECT_EQ(host.text(), QStringLiteral("se\r\nx"));
    EXPECT_EQ(host->SelText(), QStringLiteral("x"));
}

TEST(ZkMacro, ReplayRunsTheWindowsCommandsForTheirKeys)
{
    TzkMacroList list;
    MemoHost host;
    int runs = 0;
    auto *action = new QAction(host.form.get());
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    QObject::connect(action, &QAction::triggered, [&runs] { ++runs; });
    host.form->addAction(action);
    host->SetMacroList(&list);
    list.BeginRec();
    list.Add(item(CN_KEYDOWN, 'K', 1, 0, KeyStateDown));
    list.Add(item(CN_CHAR, 11, 1, 0, KeyStateDown));
    list.Add(item(CN_KEYDOWN, 'Q', 1));
    list.Add(item(CN_CHAR, 'q', 1));
    list.EndRec();
    host->ExecMacro();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(host.text(), QStringLiteral("q"));
}

TEST(ZkMacro, ALongReplayPaintsOnce)
{
    TzkMacroList list;
    MemoHost host;
    host->SetMacroList(&list);
    list.BeginRec();
    for (int i = 0; i < 1000; ++i)
        list.Add(item(CN_CHAR, i % 50 == 49 ? 13 : 'x'));
    list.EndRec();
    QCoreApplication::processEvents();
    PaintCounter counter;
    host->viewport()->installEventFilter(&counter);
    host->ExecMacro();
    QCoreApplication::processEvents();
    EXPECT_LE(counter.paints, 1);
    EXPECT_EQ(host->Lines()->Count(), 20);
}
