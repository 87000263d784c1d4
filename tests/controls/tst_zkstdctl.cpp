#include "controls/zkstdctl.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct FilterCase
{
    const char *typed;
    bool allowMinus;
    const char *shown;
};

// Typed, pasted and assigned text alike pass the numeric filter.
TEST(TzkNumEdit, FiltersEveryTextToANumber)
{
    const FilterCase cases[] = {
        {"1,234.5", false, "1234.5"}, {"1.2.3", false, "12.3"}, {"1e5", false, "15"}, {"５", false, ""},
        {"7５", false, "7"},          {"5-", true, "-5"},       {"--5", true, "-5"},  {"-5", false, "5"},
        {" 12 ", false, "12"},        {".", false, "."},        {"-", true, "-"},     {"1-2", true, "-12"},
    };
    for (const FilterCase &c : cases) {
        SCOPED_TRACE(c.typed);
        TzkNumEdit edit;
        edit.SetAllowMinus(c.allowMinus);
        edit.setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown));

        TzkNumEdit typed;
        typed.SetAllowMinus(c.allowMinus);
        QSignalSpy changes(&typed, &QLineEdit::textChanged);
        const QString input = QString::fromUtf8(c.typed);
        bool ascii = true;
        for (const QChar ch : input)
            ascii = ascii && ch.unicode() < 0x80;
        // Typed key by key where the test's keyboard can, else as a paste.
        if (ascii)
            QTest::keyClicks(&typed, input);
        else
            typed.insert(input);
        EXPECT_EQ(typed.text(), QString::fromUtf8(c.shown));
        // Listeners never see the unfiltered text.
        for (const QList<QVariant> &args : changes)
            EXPECT_EQ(args.at(0).toString(), typed.NumericText(args.at(0).toString()));
    }
}

TEST(TzkNumEdit, MaximumLengthRefusesATenthDigit)
{
    TzkNumEdit edit;
    edit.setMaxLength(9);
    QTest::keyClicks(&edit, QStringLiteral("1234567890"));
    EXPECT_EQ(edit.text(), QStringLiteral("123456789"));
}

TEST(TzkNumEdit, ReadsValues)
{
    const std::pair<const char *, int> ints[] = {
        {"2.5", 2}, {"3.5", 4}, {"", 0}, {".", 0}, {"7", 7}, {"0.4", 0}, {"99999999999", INT_MAX},
    };
    for (const auto &[text, value] : ints) {
        SCOPED_TRACE(text);
        TzkNumEdit edit;
        edit.setText(QString::fromLatin1(text));
        EXPECT_EQ(edit.ValueInt(), value);
    }
    TzkNumEdit edit;
    edit.setText(QStringLiteral("12.25"));
    EXPECT_DOUBLE_EQ(edit.ValueFloat(), 12.25);
}

TEST(TzkNumEdit, WritesValuesLeavingAnEmptyFieldEmptyForZero)
{
    struct Case
    {
        const char *before;
        double value;
        bool asInt;
        bool allowMinus;
        const char *after;
    };
    const Case cases[] = {
        {"", 0, true, false, ""},
        {"", 0, false, false, ""},
        {"", 7, true, false, "7"},
        {"7", 0, true, false, "0"},
        {"7", 0, false, false, "0"},
        {"", -3, true, false, "3"},
        {"", -3, true, true, "-3"},
        {"", 2.5, false, false, "2.5"},
        // No exponent notation: the filter would turn 1E20 into 120.
        {"", 1e20, false, false, "100000000000000000000"},
        {"", 0.00001, false, false, "0.00001"},
        {"", 1.0 / 3, false, false, "0.333333333333333"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.before) + " <- " + std::to_string(c.value));
        TzkNumEdit edit;
        edit.SetAllowMinus(c.allowMinus);
        edit.setText(QString::fromLatin1(c.before));
        if (c.asInt)
            edit.SetValueInt(int(c.value));
        else
            edit.SetValueFloat(c.value);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.after));
    }
}

TEST(TextToFloatDef, GivesTheDefaultForNonNumbers)
{
    EXPECT_DOUBLE_EQ(TextToFloatDef(QStringLiteral("1.5"), 9), 1.5);
    EXPECT_DOUBLE_EQ(TextToFloatDef(QStringLiteral("-2e3"), 9), -2000);
    EXPECT_DOUBLE_EQ(TextToFloatDef(QStringLiteral("1,5"), 9), 9);
    EXPECT_DOUBLE_EQ(TextToFloatDef(QStringLiteral("abc"), 9), 9);
    EXPECT_DOUBLE_EQ(TextToFloatDef(QString(), -1), -1);
}

TEST(InputControls, IsNullTrimsOnlyBlanksAndControlCharacters)
{
    const std::pair<QString, bool> cases[] = {
        {QString(), true},
        {QStringLiteral("   "), true},
        {QStringLiteral("\t\t"), true},
        {QStringLiteral(" \r\n"), true},
        {QStringLiteral("\u3000"), false},
        {QStringLiteral("\u00A0"), false},
        {QStringLiteral("0"), false},
    };
    for (const auto &[text, null] : cases) {
        SCOPED_TRACE(text.toStdString());
        TzkStrEdit edit;
        edit.setText(text);
        EXPECT_EQ(edit.IsNull(), null);
        TzkComboBox combo;
        combo.SetText(text);
        EXPECT_EQ(combo.IsNull(), null);
    }
}

TEST(InputControls, IsChangedComparesWithTheSavedValue)
{
    TzkStrEdit edit;
    EXPECT_FALSE(edit.IsChanged()); // never saved: compares with the empty text
    edit.setText(QStringLiteral("abc"));
    EXPECT_TRUE(edit.IsChanged());
    edit.Save();
    EXPECT_FALSE(edit.IsChanged());
    edit.setText(QStringLiteral("ABC"));
    EXPECT_TRUE(edit.IsChanged());
    edit.setText(QStringLiteral("abc"));
    EXPECT_FALSE(edit.IsChanged());
    edit.setText(QStringLiteral("abc "));
    EXPECT_TRUE(edit.IsChanged());

    TzkCheckBox check;
    check.setTristate(true);
    check.setCheckState(Qt::PartiallyChecked);
    check.Save();
    check.setCheckState(Qt::Checked);
    EXPECT_TRUE(check.IsChanged());
    check.setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(check.IsChanged());

    TzkRadioButton radio;
    radio.Save();
    radio.setChecked(true);
    EXPECT_TRUE(radio.IsChanged());
    radio.SetSaveValue(true);
    EXPECT_FALSE(radio.IsChanged());

    TzkComboBox combo;
    combo.addItems({QStringLiteral("dbo"), QStringLiteral("sales")});
    combo.SetText(QStringLiteral("dbo"));
    combo.Save();
    combo.SetText(QStringLiteral("sales"));
    EXPECT_TRUE(combo.IsChanged());
    EXPECT_EQ(combo.SaveValue(), QStringLiteral("dbo"));
}

TEST(InputControls, CharCaseAppliesToTypedText)
{
    TzkStrEdit edit;
    edit.SetCharCase(ecUpperCase);
    QTest::keyClicks(&edit, QStringLiteral("dbo.t"));
    EXPECT_EQ(edit.text(), QStringLiteral("DBO.T"));
    TzkComboBox combo;
    combo.SetCharCase(ecLowerCase);
    QTest::keyClicks(combo.lineEdit(), QStringLiteral("AbC"));
    EXPECT_EQ(combo.currentText(), QStringLiteral("abc"));
}

TEST(TzkListBox, SelectAllRequestNeedsMultipleSelection)
{
    TzkListBox list;
    list.addItems({"a", "b", "c"});
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.SetSel(0, -1);
    EXPECT_EQ(list.selectedItems().size(), 0);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.SetSel(0, 1);
    EXPECT_EQ(list.selectedItems().size(), 0);
    list.SetSel(0, -1);
    EXPECT_EQ(list.selectedItems().size(), 3);
}

// A small form of five fields in tab order, for the focus keys.
class FocusKeys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&form);
        first = new TzkStrEdit(&form);
        num = new TzkNumEdit(&form);
        combo = new TzkComboBox(&form);
        check = new TzkCheckBox(QStringLiteral("確認"), &form);
        last = new TzkStrEdit(&form);
        for (QWidget *w : std::initializer_list<QWidget *>{first, num, combo, check, last})
            layout->addWidget(w);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void focus(QWidget *w)
    {
        w->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), w);
    }
    QWidget *afterKey(QWidget *w, Qt::Key key)
    {
        QTest::keyClick(w, key);
        return QApplication::focusWidget();
    }

    QWidget form;
    TzkStrEdit *first = nullptr;
    TzkNumEdit *num = nullptr;
    TzkComboBox *combo = nullptr;
    TzkCheckBox *check = nullptr;
    TzkStrEdit *last = nullptr;
};

TEST_F(FocusKeys, EnterAndArrowsMoveLikeADataEntrySheet)
{
    focus(first);
    EXPECT_EQ(afterKey(first, Qt::Key_Return), num);
    EXPECT_EQ(afterKey(num, Qt::Key_Up), first);
    EXPECT_EQ(afterKey(first, Qt::Key_Down), num);
    focus(check);
    EXPECT_EQ(afterKey(check, Qt::Key_Enter), last);

    // Left only at the very start, Right only at the end.
    focus(last);
    last->setText(QStringLiteral("ab"));
    last->setCursorPosition(1);
    EXPECT_EQ(afterKey(last, Qt::Key_Left), last);
    EXPECT_EQ(afterKey(last, Qt::Key_Left), check);
    focus(first);
    first->setText(QStringLiteral("ab"));
    first->setCursorPosition(1);
    EXPECT_EQ(afterKey(first, Qt::Key_Right), first);
    EXPECT_EQ(afterKey(first, Qt::Key_Right), num);
}

TEST_F(FocusKeys, ANumberFieldJustEnteredKeepsTheFocusOnSideArrows)
{
    num->setText(QStringLiteral("123"));
    focus(num);
    ASSERT_EQ(num->selectedText(), QStringLiteral("123"));
    EXPECT_EQ(afterKey(num, Qt::Key_Left), num);
    num->selectAll();
    EXPECT_EQ(afterKey(num, Qt::Key_Right), num);

    num->clear();
    EXPECT_EQ(afterKey(num, Qt::Key_Left), first);
    focus(num);
    EXPECT_EQ(afterKey(num, Qt::Key_Right), combo);
}

TEST_F(FocusKeys, ComboLeavesUpAndDownToItsItemsAndMovesOnSidesAsAList)
{
    combo->addItems({QStringLiteral("A"), QStringLiteral("B")});
    combo->SetEditable(false);
    combo->setCurrentIndex(0);
    focus(combo);
    EXPECT_EQ(afterKey(combo, Qt::Key_Down), combo);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(afterKey(combo, Qt::Key_Left), num);
    focus(combo);
    EXPECT_EQ(afterKey(combo, Qt::Key_Right), check);
}

TEST_F(FocusKeys, WantTabsKeepsTabAndSwitchesOffMoves)
{
    first->SetWantTabs(true);
    focus(first);
    EXPECT_EQ(afterKey(first, Qt::Key_Tab), first);
    first->SetWantTabs(false);
    EXPECT_EQ(afterKey(first, Qt::Key_Tab), num);

    first->SetWantReturns(false);
    first->SetWantArrow(false);
    focus(first);
    EXPECT_EQ(afterKey(first, Qt::Key_Return), first);
    EXPECT_EQ(afterKey(first, Qt::Key_Down), first);
}

TEST_F(FocusKeys, AutoSaveSavesOnEachVisit)
{
    last->SetAutoSave(true);
    focus(last);
    last->setText(QStringLiteral("changed"));
    EXPECT_TRUE(last->IsChanged());
    focus(first);
    focus(last);
    EXPECT_FALSE(last->IsChanged());
    EXPECT_EQ(last->SaveValue(), QStringLiteral("changed"));
}

} // namespace
