// A picture of the editor as the program sets it up: Japanese SQL, a
// wrapped line, row marks, the ruler and the line-number bar. The test saves
// it (for looking at) and checks that something of each part was drawn.

#include "editorwidget.h"
#include "editorcontrol/programsettings.h"

TEST(EditorScreenshot, JapaneseSqlWithBarsMarksAndWrap)
{
    EditorWindow w(760, 420);
    TEditorProp prop;
    ProgramEditorSettings(prop);
    prop.WrapOption()->SetWrapByte(60);
    prop.SetWordWrap(true);
    prop.AssignTo(w.editor.get());
    w.setText(
        QStringLiteral("-- 受注一覧を取得する\r\n"
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
    // To look at it on a display: keep the window up a while.
    const int hold = qEnvironmentVariableIntValue("ZK_SCREENSHOT_HOLD_MS");
    if (hold > 0) {
        w->setWindowTitle(QStringLiteral("受注一覧.sql"));
        QTest::qWait(hold);
    }
    EXPECT_GT(w->ListCount(), 9) << "the long line is wrapped";
    EXPECT_GT(w->TopMargin(), 2) << "the ruler shows";
    EXPECT_GT(w->LeftMargin(), 20) << "the bars show";
}
