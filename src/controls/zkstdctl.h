#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

// The program's input controls. Each of the first five remembers a saved
// value (Save) and tells whether the user changed it since (IsChanged); the
// editors decide from this whether an object changed and which clauses their
// DDL needs. They move the focus on Enter and the arrow keys like a
// data-entry sheet:
//   Enter (WantReturns): next control, the key is consumed;
//   edits (WantArrow): Up previous, Down next, Left at the very start with
//     nothing selected previous, Right with the selection start at the end
//     of the text next;
//   combo box (WantArrow): Left and Right as in the edits, or always in the
//     drop-down-list style; Up and Down stay with the combo.
// With WantTabs the Tab key goes to the control instead of moving the focus.
// With AutoSave the control saves its value each time it receives the focus.

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// Text to double with the program's fixed number format ("." as the decimal
// separator); `def` when the text is no number. Never raises.
double TextToFloatDef(const QString &text, double def);

// What the five tracking controls share: the key and saving settings, and
// the key handling that uses them. The class of each control adds its value.
template<class Base>
class TzkInputControl : public Base
{
public:
    explicit TzkInputControl(QWidget *parent = nullptr)
        : Base(parent)
    {
    }

    bool AutoSave() const { return m_autoSave; }
    void SetAutoSave(bool on) { m_autoSave = on; }
    bool WantArrow() const { return m_wantArrow; }
    void SetWantArrow(bool on) { m_wantArrow = on; }
    bool WantReturns() const { return m_wantReturns; }
    void SetWantReturns(bool on) { m_wantReturns = on; }
    bool WantTabs() const { return m_wantTabs; }
    void SetWantTabs(bool on) { m_wantTabs = on; }

protected:
    // Saves the value (the class's own Save).
    virtual void SaveNow() = 0;
    // Moves the focus for an arrow key where the control does; true when it
    // did. Only called while WantArrow is on.
    virtual bool MoveOnArrow(QKeyEvent *) { return false; }

    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;

private:
    bool m_autoSave = false;
    bool m_wantArrow = true;
    bool m_wantReturns = true;
    bool m_wantTabs = false;
};

// The edits' common part: the tracked text and the arrow keys.
class TzkCustomEdit : public TzkInputControl<QLineEdit>
{
    Q_OBJECT
public:
    explicit TzkCustomEdit(QWidget *parent = nullptr);

    // Keeps the text as shown (untrimmed) as the saved value.
    void Save() { m_saveValue = text(); }
    // The text differs from the saved one (exact, case-sensitive).
    bool IsChanged() const { return text() != m_saveValue; }
    // Nothing but characters of code 32 or below (blanks, control
    // characters); an ideographic or no-break space is not blank.
    bool IsNull() const;

    QString SaveValue() const { return m_saveValue; }
    void SetSaveValue(const QString &value) { m_saveValue = value; }

protected:
    void SaveNow() override { Save(); }
    bool MoveOnArrow(QKeyEvent *e) override;

private:
    QString m_saveValue;
};

// The text field.
class TzkStrEdit : public TzkCustomEdit
{
    Q_OBJECT
public:
    explicit TzkStrEdit(QWidget *parent = nullptr);

    // Typed, pasted and assigned text is shown in this case.
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase charCase);

private:
    TEditCharCase m_charCase = ecNormal;
};

// The number field. Whatever reaches its text (typed, pasted or assigned) is
// filtered to digits, one full stop (the rightmost) and, with AllowMinus, a
// leading minus sign when the text held one anywhere.
class TzkNumEdit : public TzkCustomEdit
{
    Q_OBJECT
public:
    explicit TzkNumEdit(QWidget *parent = nullptr);

    bool AllowMinus() const { return m_allowMinus; }
    void SetAllowMinus(bool on);

    // The filtered form of `text` with this field's AllowMinus.
    QString NumericText(const QString &text) const;

    // The text as a number, 0 when it is none.
    double ValueFloat() const;
    // Shows the value in plain decimal notation with at most 15 significant
    // digits; an empty field stays empty for 0.
    void SetValueFloat(double value);
    // The number rounded half to even, clamped to the integer range.
    int ValueInt() const;
    // Shows the integer; an empty field stays empty for 0.
    void SetValueInt(int value);

protected:
    void focusInEvent(QFocusEvent *e) override;

private:
    void showNumber(const QString &digits);

    bool m_allowMinus = false;
};

// The combo box: its text is what is tracked.
class TzkComboBox : public TzkInputControl<QComboBox>
{
    Q_OBJECT
public:
    explicit TzkComboBox(QWidget *parent = nullptr);

    QString Text() const { return currentText(); }
    void SetText(const QString &text);

    void Save() { m_saveValue = currentText(); }
    bool IsChanged() const { return currentText() != m_saveValue; }
    bool IsNull() const;

    QString SaveValue() const { return m_saveValue; }
    void SetSaveValue(const QString &value) { m_saveValue = value; }
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase charCase);

    // The combo becomes editable (a drop-down with an edit) or not (a
    // drop-down list); the edit gets the combo's settings.
    void SetEditable(bool editable);

protected:
    void SaveNow() override { Save(); }
    bool MoveOnArrow(QKeyEvent *e) override;

private:
    void setupEdit();

    QString m_saveValue;
    TEditCharCase m_charCase = ecNormal;
};

// The check box: its three-valued state is what is tracked. WantArrow is
// kept for the set's common settings; the check box ignores arrows.
class TzkCheckBox : public TzkInputControl<QCheckBox>
{
    Q_OBJECT
public:
    explicit TzkCheckBox(QWidget *parent = nullptr);
    explicit TzkCheckBox(const QString &text, QWidget *parent = nullptr);

    void Save() { m_saveValue = checkState(); }
    bool IsChanged() const { return checkState() != m_saveValue; }

    Qt::CheckState SaveValue() const { return m_saveValue; }
    void SetSaveValue(Qt::CheckState value) { m_saveValue = value; }

protected:
    void SaveNow() override { Save(); }

private:
    Qt::CheckState m_saveValue = Qt::Unchecked;
};

// The radio button: its checked flag is what is tracked. WantArrow is kept
// for the set's common settings; the radio button ignores arrows.
class TzkRadioButton : public TzkInputControl<QRadioButton>
{
    Q_OBJECT
public:
    explicit TzkRadioButton(QWidget *parent = nullptr);
    explicit TzkRadioButton(const QString &text, QWidget *parent = nullptr);

    void Save() { m_saveValue = isChecked(); }
    bool IsChanged() const { return isChecked() != m_saveValue; }

    bool SaveValue() const { return m_saveValue; }
    void SetSaveValue(bool value) { m_saveValue = value; }

protected:
    void SaveNow() override { Save(); }

private:
    bool m_saveValue = false;
};

// The list box of the set. It adds one thing to the standard list: the
// edit select-all request (start 0, end -1), which the main window's
// "すべて選択(&L)" sends to the focused control, selects every item when
// multiple selection is on.
class TzkListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit TzkListBox(QWidget *parent = nullptr);

    // The edit control's set-selection request. A list has no text
    // selection, so only (0, -1) on a multi-selection list does anything.
    void SetSel(int start, int end);
};
