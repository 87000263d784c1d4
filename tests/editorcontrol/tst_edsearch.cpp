// Searching the editor's rows: the next and the previous hit as each hit
// style shows it, hits across rows and across the search blocks, and what
// an unsuccessful search leaves.

#include "editorwidget.h"

namespace {

const QString crlf = QStringLiteral("\r\n");
constexpr TSearchOptions Down = SearchOptionBit(sfrDown);
constexpr TSearchOptions Up = 0;

} // namespace

TEST(EditorSearch, NextAndPreviousForEachHitStyle)
{
    for (TEditorHitStyle style : {hsSelect, hsDraw, hsCaret}) {
        SCOPED_TRACE(int(style));
        EditorWindow w;
        w->SetHitStyle(style);
        w.setText(QStringLiteral("select Select") + crlf + QStringLiteral("x SELECT") + crlf);
        const QString pattern = QStringLiteral("select");
        ASSERT_TRUE(w->Search(pattern, Down));
        EXPECT_EQ(w->SelStart(), 0);
        EXPECT_EQ(w->HitSelLength(), 6);
        EXPECT_EQ(style == hsSelect ? w->Selected() : w->HitSelected(), true);
        ASSERT_TRUE(w->Search(pattern, Down));
        EXPECT_EQ(w->SelStart(), 7);
        ASSERT_TRUE(w->Search(pattern, Down));
        EXPECT_EQ(w->SelStart(), 17);
        EXPECT_EQ(w->Row(), 1);
        EXPECT_FALSE(w->Search(pattern, Down));
        EXPECT_EQ(w->SelStart(), 17) << "nothing found: the hit stays";
        ASSERT_TRUE(w->Search(pattern, Up));
        EXPECT_EQ(w->SelStart(), 7);
        ASSERT_TRUE(w->Search(pattern, Up));
        EXPECT_EQ(w->SelStart(), 0);
        EXPECT_FALSE(w->Search(pattern, Up));
    }
}

TEST(EditorSearch, HitsOverRowsAndBlocks)
{
    // The rows are searched in blocks of about 8192 units; a block ends with
    // the row that brings it there. Here the first block forwards ends with
    // the needle's row, and the first block backwards begins with the
    // thread's row: the hit runs from one block into the next.
    const QString dots = QString(70, QLatin1Char('.')) + crlf; // 72 units
    const QString needle = QString(60, QLatin1Char('.')) + QStringLiteral("needle") + crlf;
    const QString thread = QStringLiteral("thread") + QString(60, QLatin1Char('.')) + crlf;
    const TSearchOptions breaks = SearchOptionBit(sfrIncludeCRLF);
    const QString pattern = QStringLiteral("needlethread");

    EditorWindow w;
    w.setText(dots.repeated(113) + needle + thread + QStringLiteral("tail"));
    ASSERT_TRUE(w->Search(pattern, Down | breaks));
    EXPECT_EQ(w->SelText(), QStringLiteral("needle\r\nthread"));
    EXPECT_EQ(w->SelStrPosition().Sr, 113);
    EXPECT_EQ(w->SelStrPosition().Sc, 60);
    EXPECT_FALSE(w->Search(pattern, Down | breaks));
    EXPECT_FALSE(w->Search(pattern, Down)) << "the line break is not skipped without the option";

    w.setText(needle + thread + dots.repeated(113) + QStringLiteral("tail"));
    w->SetRowCol(115, 4);
    ASSERT_TRUE(w->Search(pattern, Up | breaks));
    EXPECT_EQ(w->SelStrPosition().Sr, 0);
    EXPECT_EQ(w->SelStrPosition().Sc, 60);
    EXPECT_FALSE(w->Search(QStringLiteral("absent"), Up));
    EXPECT_FALSE(w->Search(QStringLiteral("absent"), Down));

    // A hit over two screen rows of a wrapped line.
    w->WrapOption()->SetWrapByte(20);
    w->SetWordWrap(true);
    w.setText(QString(18, QLatin1Char('a')) + QStringLiteral("wordy") + crlf);
    ASSERT_GE(w->ListCount(), 2);
    w->SetRowCol(0, 0);
    ASSERT_TRUE(w->Search(QStringLiteral("awordy"), Down));
    EXPECT_EQ(w->SelText(), QStringLiteral("awordy"));
}

TEST(EditorSearch, NothingToSearch)
{
    EditorWindow w;
    EXPECT_FALSE(w->Search(QStringLiteral("a"), Down));
    w.setText(QStringLiteral("abc"), 0, 1);
    EXPECT_FALSE(w->Search(QString(), Down));
    EXPECT_EQ(w->Col(), 1);
    EXPECT_FALSE(w->SelectedData());
}
