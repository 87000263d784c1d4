#include "core/zkapp.h"
#include "core/zkoption.h"
#include "core/zksub.h"
#include "modal.h"
#include "platform/rtl/exceptions.h"

#include "controls/zkstdctl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

namespace {

QStringList buttonNames(QWidget *dialog)
{
    QStringList names;
    for (QPushButton *b : dialog->findChildren<QPushButton *>())
        names << b->objectName();
    return names;
}

void click(QWidget *dialog, const QString &button)
{
    QPushButton *b = dialog->findChild<QPushButton *>(button);
    ASSERT_NE(b, nullptr) << button.toStdString();
    b->click();
}

enum class Box { App, Check };

int show(Box box, int flags, const TzkCheckList &checks = {}, const QStringList *captions = nullptr)
{
    return box == Box::App ? ShowAppMessage(QStringLiteral("本文"), flags)
                           : ShowCheckMessage(QStringLiteral("本文"), flags, checks, captions);
}

struct ButtonCase
{
    Box box;
    int flags;
    QStringList order; // buttons as made and shown
    const char *byDefault;
};

// The message box orders its buttons as the desktop does; the check dialog
// makes them in its fixed order (Cancel before Retry), and the default
// button counts in each one's own order.
TEST(MessageBoxes, ButtonsAndDefaultButton)
{
    const ButtonCase cases[] = {
        {Box::App, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, {"Yes", "No"}, "No"},
        {Box::App, MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2, {"OK", "Cancel"}, "Cancel"},
        {Box::App, MB_RETRYCANCEL | MB_DEFBUTTON2, {"Retry", "Cancel"}, "Cancel"},
        {Box::App, MB_YESNOCANCEL | MB_ICONQUESTION, {"Yes", "No", "Cancel"}, "Yes"},
        {Box::App, MB_ICONWARNING, {"OK"}, "OK"},
        {Box::Check, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, {"Yes", "No"}, "No"},
        {Box::Check, MB_RETRYCANCEL | MB_DEFBUTTON2, {"Cancel", "Retry"}, "Retry"},
        {Box::Check, MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {"Abort", "Retry", "Ignore"}, "Ignore"},
        {Box::Check, MB_YESNOCANCEL | MB_DEFBUTTON3, {"Yes", "No", "Cancel"}, "Cancel"},
        {Box::Check, MB_OK | MB_DEFBUTTON2, {"OK"}, "OK"},
    };
    for (const ButtonCase &c : cases) {
        SCOPED_TRACE(std::to_string(int(c.box)) + " flags " + std::to_string(c.flags));
        QStringList shown;
        QString def;
        QString focused;
        QString title;
        WhenModal([&](QWidget *w) {
            shown = buttonNames(w);
            for (QPushButton *b : w->findChildren<QPushButton *>()) {
                if (b->isDefault())
                    def = b->objectName();
            }
            focused = w->focusWidget() ? w->focusWidget()->objectName() : QString();
            title = w->windowTitle();
            click(w, QString::fromLatin1(c.byDefault));
        });
        const int result = show(c.box, c.flags);
        EXPECT_EQ(shown, c.order);
        EXPECT_EQ(def, QString::fromLatin1(c.byDefault));
        EXPECT_EQ(focused, QString::fromLatin1(c.byDefault));
        EXPECT_EQ(title, TzkApplication::Title());
        const QMap<QString, int> ids = {{"OK", IDOK},       {"Cancel", IDCANCEL}, {"Abort", IDABORT},
                                        {"Retry", IDRETRY}, {"Ignore", IDIGNORE}, {"Yes", IDYES},
                                        {"No", IDNO}};
        EXPECT_EQ(result, ids.value(QString::fromLatin1(c.byDefault)));
    }
}

// Closing by the window gives Cancel's code even where there is no Cancel.
TEST(MessageBoxes, ClosingTheWindowGivesCancel)
{
    for (Box box : {Box::App, Box::Check}) {
        for (bool escape : {false, true}) {
            SCOPED_TRACE(escape ? "Esc" : "close");
            WhenModal([escape](QWidget *w) {
                if (escape)
                    QTest::keyClick(w, Qt::Key_Escape);
                else
                    w->close();
            });
            EXPECT_EQ(show(box, MB_YESNO | MB_ICONWARNING), IDCANCEL);
        }
    }
}

// A button's underlined letter answers without Alt; other letters do nothing.
TEST(MessageBoxes, UnderlinedLettersAnswerWithoutAlt)
{
    struct KeyCase
    {
        Box box;
        int flags;
        Qt::Key key;
        int result;
    };
    const KeyCase cases[] = {
        {Box::App, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, Qt::Key_Y, IDYES},
        {Box::App, MB_YESNO | MB_ICONQUESTION, Qt::Key_N, IDNO},
        {Box::App, MB_RETRYCANCEL, Qt::Key_R, IDRETRY},
        {Box::Check, MB_ABORTRETRYIGNORE, Qt::Key_I, IDIGNORE},
        {Box::Check, MB_YESNOCANCEL, Qt::Key_X, IDCANCEL},
    };
    for (const KeyCase &c : cases) {
        // QTest::toString hands over a new[] buffer.
        const std::unique_ptr<char[]> keyName(QTest::toString(c.key));
        SCOPED_TRACE(keyName.get());
        WhenModal([&c](QWidget *w) {
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, c.key);
            // A letter that belongs to no button leaves the box open.
            if (w->isVisible())
                QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_EQ(show(c.box, c.flags), c.result);
    }
}

// Enter presses the button that has the focus, as on the desktop; without a
// focused button the default one.
TEST(MessageBoxes, EnterPressesTheFocusedButton)
{
    struct EnterCase
    {
        Box box;
        int flags;
        int tabs; // Tab presses before Enter
        int result;
    };
    const EnterCase cases[] = {
        {Box::App, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, 0, IDNO},
        {Box::App, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, 1, IDYES},
        {Box::App, MB_YESNO | MB_ICONQUESTION, 1, IDNO},
        {Box::Check, MB_YESNOCANCEL, 2, IDCANCEL},
    };
    for (const EnterCase &c : cases) {
        SCOPED_TRACE(c.tabs);
        WhenModal([&c](QWidget *w) {
            for (int i = 0; i < c.tabs; ++i)
                QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(show(c.box, c.flags), c.result);
    }
}

TEST(MessageBoxes, IconsFollowTheFlags)
{
    struct IconCase
    {
        Box box;
        int flags;
        bool shown;
        QStyle::StandardPixmap icon;
    };
    const IconCase cases[] = {
        {Box::App, MB_ICONERROR, true, QStyle::SP_MessageBoxCritical},
        {Box::App, MB_YESNO | MB_ICONWARNING, true, QStyle::SP_MessageBoxWarning},
        {Box::App, MB_OK, false, QStyle::SP_MessageBoxInformation},
        {Box::Check, MB_YESNO | MB_ICONWARNING, true, QStyle::SP_MessageBoxWarning},
        {Box::Check, MB_YESNO | MB_ICONQUESTION, true, QStyle::SP_MessageBoxQuestion},
        {Box::Check, MB_OK, true, QStyle::SP_MessageBoxInformation},
    };
    for (const IconCase &c : cases) {
        SCOPED_TRACE(c.flags);
        QImage image;
        QImage expected;
        bool found = false;
        WhenModal([&](QWidget *w) {
            auto *label = w->findChild<QLabel *>(QStringLiteral("Image"));
            found = label != nullptr;
            if (label) {
                image = label->pixmap().toImage();
                const int extent = w->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, w);
                expected = w->style()->standardIcon(c.icon, nullptr, w).pixmap(extent, extent).toImage();
            }
            w->close();
        });
        show(c.box, c.flags);
        EXPECT_EQ(found, c.shown);
        if (c.shown) {
            EXPECT_EQ(image, expected);
        }
    }
}

TEST(ShowCheckMessage, WritesEveryCheckStateBackWhateverClosedIt)
{
    for (const char *closer : {"No", "close"}) {
        SCOPED_TRACE(closer);
        bool first = true;
        bool second = false;
        const TzkCheckList checks = {{QStringLiteral("インデックスも含める"), &first},
                                     {QStringLiteral("テーブルデータも含める"), &second}};
        QStringList captions;
        WhenModal([&](QWidget *w) {
            auto *box0 = w->findChild<QCheckBox *>(QStringLiteral("Check0"));
            auto *box1 = w->findChild<QCheckBox *>(QStringLiteral("Check1"));
            ASSERT_TRUE(box0 && box1);
            captions << box0->text() << box1->text();
            EXPECT_TRUE(box0->isChecked());
            EXPECT_FALSE(box1->isChecked());
            box0->click();
            box1->click();
            if (QString::fromLatin1(closer) == QLatin1String("close"))
                w->close();
            else
                click(w, QString::fromLatin1(closer));
        });
        const int result = ShowCheckMessage(QStringLiteral("続行しますか？"), MB_YESNO | MB_ICONQUESTION, checks);
        EXPECT_EQ(result, QString::fromLatin1(closer) == QLatin1String("No") ? IDNO : IDCANCEL);
        EXPECT_EQ(captions, (QStringList{"インデックスも含める", "テーブルデータも含める"}));
        EXPECT_FALSE(first);
        EXPECT_TRUE(second);
    }
}

TEST(ShowCheckMessage, WithoutChecksAndWithOwnButtonCaptions)
{
    const QStringList captions = {QStringLiteral("上書き"), QStringLiteral("スキップ"), QStringLiteral("余り")};
    QStringList texts;
    int boxes = -1;
    WhenModal([&](QWidget *w) {
        for (QPushButton *b : w->findChildren<QPushButton *>())
            texts << b->text();
        boxes = int(w->findChildren<QCheckBox *>().size());
        click(w, QStringLiteral("Yes"));
    });
    EXPECT_EQ(show(Box::Check, MB_YESNO, {}, &captions), IDYES);
    EXPECT_EQ(texts, (QStringList{"上書き", "スキップ"}));
    EXPECT_EQ(boxes, 0);
}

TEST(InputQueryDialog, PresetsTheOwnerAndWritesBackOnOkOnly)
{
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        QString value = QStringLiteral("T1");
        QString owner = QStringLiteral("sales");
        bool withIndexes = false;
        const TzkCheckList checks = {{QStringLiteral("インデックスも含める"), &withIndexes}};
        QString preset;
        WhenModal([&](QWidget *w) {
            auto *combo = w->findChild<QComboBox *>(QStringLiteral("cmbOwner"));
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("txtValue"));
            ASSERT_TRUE(combo && edit);
            preset = combo->currentText();
            EXPECT_EQ(edit->selectedText(), QStringLiteral("T1"));
            edit->setText(QStringLiteral("T2"));
            combo->setEditText(QStringLiteral("newschema"));
            w->findChild<QCheckBox *>(QStringLiteral("Check0"))->click();
            click(w, ok ? QStringLiteral("btnOK") : QStringLiteral("btnCancel"));
        });
        const bool result = InputQueryDialog(QStringLiteral("Zekalon"), QStringLiteral("新規オブジェクト名"), value,
                                             checks, {QStringLiteral("dbo"), QStringLiteral("sales")}, owner, false);
        EXPECT_EQ(result, ok);
        EXPECT_EQ(preset, QStringLiteral("sales"));
        EXPECT_EQ(value, ok ? QStringLiteral("T2") : QStringLiteral("T1"));
        EXPECT_EQ(owner, ok ? QStringLiteral("newschema") : QStringLiteral("sales"));
        EXPECT_EQ(withIndexes, ok);
    }
}

TEST(InputQueryDialog, NumericEntryTakesNineDigits)
{
    QString value = QStringLiteral("1000");
    QString owner;
    bool numberField = false;
    bool hasOwnerCombo = true;
    WhenModal([&](QWidget *w) {
        auto *edit = w->findChild<QLineEdit *>(QStringLiteral("txtValue"));
        numberField = qobject_cast<TzkNumEdit *>(edit) != nullptr;
        hasOwnerCombo = w->findChild<QComboBox *>() != nullptr;
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("12a34567890"));
        click(w, QStringLiteral("btnOK"));
    });
    ASSERT_TRUE(InputQueryDialog(QStringLiteral("行ジャンプ"), QStringLiteral("指定行"), value, {}, {}, owner, true));
    EXPECT_TRUE(numberField);
    EXPECT_FALSE(hasOwnerCombo);
    EXPECT_EQ(value, QStringLiteral("123456789"));
}

TEST(ShowCopyDatabaseDialog, WritesBothNamesOnOk)
{
    QString source = QStringLiteral("sales");
    QString target;
    WhenModal([](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("データベースのコピー"));
        w->findChild<QLineEdit *>(QStringLiteral("txtTarget"))->setText(QStringLiteral("sales_copy"));
        click(w, QStringLiteral("btnOK"));
    });
    ASSERT_TRUE(ShowCopyDatabaseDialog(QStringLiteral("データベースのコピー"),
                                       QStringLiteral("データベースのコピーを行います。"), source, target));
    EXPECT_EQ(source, QStringLiteral("sales"));
    EXPECT_EQ(target, QStringLiteral("sales_copy"));
}

TEST(ConfirmClipboardCopy, StoresTheChoicesOnYesOnly)
{
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        zkOption.PasteHeader = true;
        zkOption.PasteColumn = 0;
        QString text;
        WhenModal([&](QWidget *w) {
            text = w->findChild<QLabel *>(QStringLiteral("Message"))->text();
            w->findChild<QCheckBox *>(QStringLiteral("Check0"))->click();
            w->findChild<QCheckBox *>(QStringLiteral("Check1"))->click();
            click(w, yes ? QStringLiteral("Yes") : QStringLiteral("No"));
        });
        EXPECT_EQ(ConfirmClipboardCopy(), yes);
        EXPECT_EQ(text, QStringLiteral("結果をクリップボードにコピーしますか？"));
        EXPECT_EQ(zkOption.PasteHeader, !yes);
        EXPECT_EQ(zkOption.PasteColumn, yes ? 1 : 0);
    }
}

TEST(ShowExcelSaveDialog, AppendsTheExtensionUnlessKnownAndRefusesABlankName)
{
    QTemporaryDir dir;
    zkOption.ExcelExt = QStringLiteral(".XLSX");
    struct Case
    {
        const char *typed;
        bool result;
        QString chosen;
    };
    const Case cases[] = {
        {"report", true, dir.filePath("report.xlsx")},
        {"report.csv", true, dir.filePath("report.csv")},
        {"report.v2", true, dir.filePath("report.v2.xlsx")},
        {"   ", false, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        QString fileName = dir.filePath(QStringLiteral("PROCESS_LIST.xlsx"));
        QString warning;
        QString offered;
        WhenModal([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            ASSERT_NE(dialog, nullptr);
            offered = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("名前を付けて保存"));
            EXPECT_EQ(dialog->nameFilters().first(), QStringLiteral("Excelファイル(*.xlsx)"));
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QString::fromUtf8(c.typed));
            // The refusal comes as a message after the dialog has closed. Only
            // armed when one is due: a watcher left waiting would outlive
            // this case and act on a later test's window.
            if (!c.result) {
                WhenModal(
                    [&](QWidget *box) {
                        warning = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
                        box->close();
                    },
                    dialog);
            }
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const bool result = ShowExcelSaveDialog(nullptr, fileName);
        EXPECT_EQ(offered, QStringLiteral("PROCESS_LIST.xlsx"));
        EXPECT_EQ(result, c.result);
        if (c.result) {
            EXPECT_EQ(fileName, c.chosen);
        } else {
            EXPECT_EQ(warning, QStringLiteral("ファイル名を入力して下さい。"));
        }
    }
    QString fileName = dir.filePath(QStringLiteral("x.xlsx"));
    WhenModal([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    EXPECT_FALSE(ShowExcelSaveDialog(nullptr, fileName));
    EXPECT_EQ(fileName, dir.filePath(QStringLiteral("x.xlsx")));
}

TEST(PlaceForm, KeepsAPositionOnTheDesktopAndCentresOtherwise)
{
    QWidget form;
    form.resize(200, 100);
    PlaceForm(&form, 50, 60);
    EXPECT_EQ(form.pos(), QPoint(60, 50));

    // No main window, or the main window itself: centred on the desktop.
    const QRect desktop = form.screen()->virtualGeometry();
    const QPoint desktopCentre((desktop.width() - form.frameGeometry().width()) / 2,
                               (desktop.height() - form.frameGeometry().height()) / 2);
    PlaceForm(&form, -1, -1);
    EXPECT_EQ(form.pos(), desktopCentre);

    QMainWindow main;
    main.setGeometry(100, 120, 401, 301);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    // A position on a screen that is gone: centred over the main window.
    PlaceForm(&form, 50, desktop.right() + 500);
    const QRect m = main.frameGeometry();
    EXPECT_EQ(form.pos(), QPoint(m.left() + int(m.width() / 2.0 - 100), m.top() + int(m.height() / 2.0 - 50)));
    PlaceForm(&main, -1, -1);
    EXPECT_EQ(main.pos(), QPoint((desktop.width() - main.frameGeometry().width()) / 2,
                                 (desktop.height() - main.frameGeometry().height()) / 2));
}

TEST(FormatText, FormatsLikeTheRunTimeLibrary)
{
    const std::tuple<const char *, QVariantList, const char *> cases[] = {
        {"%sを入力して下さい。", {QStringLiteral("ユーザー名")}, "ユーザー名を入力して下さい。"},
        {"%d件 %5d|%-5d|%.3d", {12, 7, 7, 7}, "12件     7|7    |007"},
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"%x %u %%", {255, -1}, "FF 4294967295 %"},
        {"%.2f %n %.1n", {3.14159, 1234567.891, -1234.56}, "3.14 1,234,567.89 -1,234.6"},
        {"%*d|%.*s", {4, 5, 2, "abc"}, "   5|ab"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%g", {0.5}, "0.5"},
    };
    for (const auto &[format, args, expected] : cases) {
        SCOPED_TRACE(format);
        EXPECT_EQ(FormatText(QString::fromUtf8(format), args), QString::fromUtf8(expected));
    }
    EXPECT_THROW(FormatText(QStringLiteral("%d"), {QStringLiteral("x")}), Exception);
    EXPECT_THROW(FormatText(QStringLiteral("%s %s"), {QStringLiteral("x")}), Exception);
    EXPECT_THROW(FormatText(QStringLiteral("%q"), {1}), Exception);
}

// An error that reaches the event boundary shows in the program's message
// box with the error icon.
TEST(EventBoundary, ShowsErrorsInTheProgramsMessageBox)
{
    TzkApplication::SetExceptionHandler(nullptr);
    QString text;
    bool errorIcon = false;
    WhenModal([&](QWidget *w) {
        text = w->findChild<QLabel *>(QStringLiteral("Message"))->text();
        auto *image = w->findChild<QLabel *>(QStringLiteral("Image"));
        const int extent = w->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, w);
        errorIcon = image
                    && image->pixmap().toImage()
                           == w->style()
                                  ->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, w)
                                  .pixmap(extent, extent)
                                  .toImage();
        click(w, QStringLiteral("OK"));
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    });
    QTimer::singleShot(0, [] { throw Exception(QStringLiteral("接続に失敗しました。")); });
    QCoreApplication::exec();
    EXPECT_EQ(text, QStringLiteral("接続に失敗しました。"));
    EXPECT_TRUE(errorIcon);
}

TEST(GetAverageCharWidth, MeasuresTheLetters)
{
    QFont font;
    const QPoint units = GetAverageCharWidth(font);
    const QFontMetrics fm(font);
    EXPECT_EQ(units.x(),
              fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52);
    EXPECT_EQ(units.y(), fm.height());
}

} // namespace

// The "desc|pattern" filters become Qt's, and the chosen one maps back to
// its position; "*.*" becomes "*" so that names without a dot are listed.
TEST(FileDialogFilters, ConvertAndMapBack)
{
    const QStringList filters = FileDialogFilters(
        QStringLiteral("SQLファイル(*.sql)|*.sql|テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("SQLファイル(*.sql)"), QStringLiteral("テキストファイル(*.txt)"),
                                    QStringLiteral("すべてのファイル(*)")}));
    EXPECT_EQ(FileDialogFilterIndex(filters, filters.at(1)), 2);
    EXPECT_EQ(FileDialogFilterIndex(filters, QStringLiteral("other")), 0);
    EXPECT_EQ(FileDialogFilters(QStringLiteral("Data|*.csv;*.tsv")), QStringList{QStringLiteral("Data(*.csv *.tsv)")});
}
