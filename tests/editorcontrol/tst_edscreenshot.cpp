// A picture of the editor as the program sets it up: Japanese SQL, a
// wrapped line, row marks, the ruler and the line-number bar. The test saves
// it (for looking at) and checks that something of each part was drawn.

#include "editorwidget.h"
#include "editorcontrol/edprops.h"

#include <QDir>

namespace {

// The settings the program gives its editors on a fresh start.
void programSettings(TEditorProp &prop)
{
    TFont font;
    font.setFamily(QStringLiteral("ＭＳ ゴシック"));
    font.setPointSize(10);
    font.SetColor(clBlack);
    prop.SetFont(font);
    prop.SetColor(clWhite);
    prop.Margin()->SetTop(2);
    prop.Margin()->SetLeft(2);
    prop.Margin()->SetCharacter(1);
    prop.Leftbar()->SetVisible(true);
    prop.Leftbar()->SetColor(clBlack);
    prop.Leftbar()->SetBkColor(0xE6E6E6);
    prop.Leftbar()->SetShowNumberMode(nmLine);
    prop.Leftbar()->SetLeftMargin(2);
    prop.Leftbar()->SetRightMargin(4);
    prop.Ruler()->SetVisible(true);
    prop.Ruler()->SetColor(clBlack);
    prop.Ruler()->SetBkColor(0xE6E6E6);
    prop.Ruler()->SetMarkColor(0x800080);
    prop.Imagebar()->SetVisible(true);
    prop.Caret()->SetSoftTab(true);
    prop.Caret()->SetTabSpaceCount(4);
    prop.Caret()->SetNextLine(true);
    prop.Caret()->SetFreeCaret(false);
    TEditorMarks *marks = prop.Marks();
    marks->EofMark()->SetColor(0x808000);
    marks->EofMark()->SetVisible(true);
    marks->RetMark()->SetColor(0x808000);
    marks->RetMark()->SetVisible(true);
    marks->WrapMark()->SetColor(0x808000);
    marks->WrapMark()->SetVisible(true);
    marks->Underline()->SetColor(0x800080);
    marks->Underline()->SetVisible(true);
    marks->TabMark()->SetColor(0xC0C0C0);
    marks->TabMark()->SetVisible(true);
    marks->SpaceMark()->SetColor(0xC0C0C0);
    marks->SpaceMark()->SetVisible(true);
    TEditorFountain *f = prop.View()->EditorFountain();
    configureForSql(*f, {QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"), QStringLiteral("AND"),
                         QStringLiteral("ORDER"), QStringLiteral("BY"), QStringLiteral("INSERT"), QStringLiteral("INTO"),
                         QStringLiteral("VALUES"), QStringLiteral("AS"), QStringLiteral("N")});
    TEditorColors *colors = f->Colors();
    colors->Comment()->SetColor(0x008000);
    colors->Str()->SetColor(0x0000FF);
    colors->Symbol()->SetColor(0x0063C6);
    colors->Int()->SetColor(0xFF0000);
    f->Reserve()->SetColor(0x800000);
    f->Reserve()->SetStyle(fsBold);
    colors->Hit()->SetColor(0x000000);
    colors->Hit()->SetBkColor(0x00FFFF);
    colors->Select()->SetColor(0xFFFFFF);
    colors->Select()->SetBkColor(0x800000);
    f->Brackets()->GetBracketItem(0)->ItemColor()->SetColor(0x008000);
    prop.WrapOption()->SetWrapByte(60);
    prop.SetWordWrap(true);
}

} // namespace

TEST(EditorScreenshot, JapaneseSqlWithBarsMarksAndWrap)
{
    EditorWindow w(760, 420);
    TEditorProp prop;
    programSettings(prop);
    prop.AssignTo(w.editor.get());
    w.setText(QStringLiteral(
        "-- 受注一覧を取得する\r\n"
        "SELECT 受注.受注番号, 受注.受注日, 顧客.顧客名 AS 顧客名称, 受注.金額 * 1.08 AS 税込金額\r\n"
        "  FROM dbo.受注 受注\r\n"
        "  INNER JOIN dbo.顧客 顧客 ON 顧客.顧客ID = 受注.顧客ID\r\n"
        " WHERE 受注.状態 = N'出荷済み'\r\n"
        "   AND 受注.受注日 >= '2024-04-01'\r\n"
        " ORDER BY 受注.受注日 DESC;\r\n"
        "/* 集計は　月次バッチで行う */\r\n"
        "INSERT INTO 作業ログ (内容) VALUES (N'一覧を出力しました');\r\n"));
    w->SetListRowMarks(2, RowMarkBit(rm1));
    w->SetListRowMarks(4, RowMarkBit(rm3) | RowMarkBit(rm2));
    w->SetListRowMarks(6, RowMarkBit(rm12));
    w->SetHitText(QStringLiteral("受注日"));
    w->SetRowCol(5, 8);
    QTest::qWait(50);
    const QImage image = w.grab();
    const QString path = QStringLiteral(ZK_BINARY_DIR) + QStringLiteral("/editor_screenshot.png");
    image.save(path);
    EXPECT_GT(w->ListCount(), 9) << "the long line is wrapped";
    EXPECT_GT(w->TopMargin(), 2) << "the ruler shows";
    EXPECT_GT(w->LeftMargin(), 20) << "the bars show";
}
