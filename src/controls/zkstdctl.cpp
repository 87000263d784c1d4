#include "controls/zkstdctl.h"

#include <QKeyEvent>
#include <QValidator>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

bool isBlankText(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return first == last;
}

bool isTabKey(const QKeyEvent *k)
{
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    return k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
}

// Gives a Tab key the control wants to its key handler instead of letting
// the focus move; true when it did.
template<typename Press>
bool keepTabKey(QEvent *e, bool wantTabs, Press press)
{
    if (e->type() != QEvent::KeyPress || !wantTabs || !isTabKey(static_cast<QKeyEvent *>(e)))
        return false;
    press(static_cast<QKeyEvent *>(e));
    // Accepted even when the control ignores it, so no parent moves the focus.
    e->accept();
    return true;
}

bool isReturnKey(const QKeyEvent *k)
{
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
}

// A disabled field looks like a button face, as the desktop's disabled edits do.
void useButtonFaceWhenDisabled(QWidget *w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Button));
    w->setPalette(p);
}

// Rewrites whatever reaches an edit's text: QLineEdit runs it on typed,
// pasted and assigned text alike, and emits one change with the result.
class RewriteValidator : public QValidator
{
public:
    using Rewrite = std::function<QString(const QString &, int &)>;
    RewriteValidator(Rewrite rewrite, QObject *parent)
        : QValidator(parent)
        , m_rewrite(std::move(rewrite))
    {
    }
    State validate(QString &input, int &pos) const override
    {
        input = m_rewrite(input, pos);
        return Acceptable;
    }

private:
    Rewrite m_rewrite;
};

QValidator *caseValidator(TEditCharCase charCase, QObject *parent)
{
    if (charCase == ecNormal)
        return nullptr;
    return new RewriteValidator(
        [charCase](const QString &text, int &pos) {
            QString out = charCase == ecUpperCase ? text.toUpper() : text.toLower();
            pos = qMin<int>(pos, out.size());
            return out;
        },
        parent);
}

// General number form without an exponent, at most 15 significant digits.
QString plainNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0)
        return QStringLiteral("0");
    const double rounded = QString::number(value, 'g', 15).toDouble();
    const int exponent = int(std::floor(std::log10(std::fabs(rounded))));
    const int decimals = qBound(0, 14 - exponent, 340);
    QString text = QString::number(rounded, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

double TextToFloatDef(const QString &text, double def)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : def;
}

// ---------------------------------------------------------------------------

template<class Base>
bool TzkInputControl<Base>::event(QEvent *e)
{
    if (keepTabKey(e, m_wantTabs, [this](QKeyEvent *k) { keyPressEvent(k); }))
        return true;
    return Base::event(e);
}

template<class Base>
void TzkInputControl<Base>::keyPressEvent(QKeyEvent *e)
{
    if (isReturnKey(e) && m_wantReturns) {
        this->focusNextPrevChild(true);
        return;
    }
    if (m_wantArrow && MoveOnArrow(e))
        return;
    Base::keyPressEvent(e);
}

template<class Base>
void TzkInputControl<Base>::focusInEvent(QFocusEvent *e)
{
    Base::focusInEvent(e);
    if (m_autoSave)
        SaveNow();
}

template class TzkInputControl<QLineEdit>;
template class TzkInputControl<QComboBox>;
template class TzkInputControl<QCheckBox>;
template class TzkInputControl<QRadioButton>;

// ---------------------------------------------------------------------------

TzkCustomEdit::TzkCustomEdit(QWidget *parent)
    : TzkInputControl(parent)
{
    useButtonFaceWhenDisabled(this);
}

bool TzkCustomEdit::IsNull() const
{
    return isBlankText(text());
}

bool TzkCustomEdit::MoveOnArrow(QKeyEvent *e)
{
    bool next = false;
    switch (e->key()) {
    case Qt::Key_Up: break;
    case Qt::Key_Down: next = true; break;
    case Qt::Key_Left:
        if (cursorPosition() != 0 || hasSelectedText())
            return false;
        break;
    case Qt::Key_Right:
        if ((hasSelectedText() ? selectionStart() : cursorPosition()) != text().size())
            return false;
        next = true;
        break;
    default: return false;
    }
    focusNextPrevChild(next);
    return true;
}

// ---------------------------------------------------------------------------

TzkStrEdit::TzkStrEdit(QWidget *parent)
    : TzkCustomEdit(parent)
{
}

void TzkStrEdit::SetCharCase(TEditCharCase charCase)
{
    if (charCase == m_charCase)
        return;
    m_charCase = charCase;
    QValidator *old = const_cast<QValidator *>(validator());
    setValidator(caseValidator(charCase, this));
    delete old;
    // The text already shown takes the new case as well.
    setText(text());
}

// ---------------------------------------------------------------------------

TzkNumEdit::TzkNumEdit(QWidget *parent)
    : TzkCustomEdit(parent)
{
    setValidator(new RewriteValidator(
        [this](const QString &text, int &pos) {
            const QString out = NumericText(text);
            // The caret keeps its place among the characters that stay.
            int kept = 0;
            bool dotSeen = false;
            QList<bool> keep(text.size(), false);
            for (qsizetype i = text.size() - 1; i >= 0; --i) {
                const QChar c = text.at(i);
                if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                    keep[i] = true;
                } else if (c == QLatin1Char('.') && !dotSeen) {
                    keep[i] = true;
                    dotSeen = true;
                }
            }
            for (int i = 0; i < pos && i < text.size(); ++i)
                kept += keep[i] ? 1 : 0;
            if (out.startsWith(QLatin1Char('-')))
                ++kept;
            pos = qMin<int>(kept, out.size());
            return out;
        },
        this));
}

void TzkNumEdit::SetAllowMinus(bool on)
{
    m_allowMinus = on;
    setText(text());
}

QString TzkNumEdit::NumericText(const QString &text) const
{
    QString out;
    out.reserve(text.size() + 1);
    bool dotSeen = false;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            out += c;
        } else if (c == QLatin1Char('.') && !dotSeen) {
            out += c;
            dotSeen = true;
        }
    }
    std::reverse(out.begin(), out.end());
    if (m_allowMinus && text.contains(QLatin1Char('-')))
        out.prepend(QLatin1Char('-'));
    return out;
}

double TzkNumEdit::ValueFloat() const
{
    return TextToFloatDef(text(), 0);
}

void TzkNumEdit::showNumber(const QString &digits)
{
    if (!text().isEmpty() || digits != QLatin1String("0"))
        setText(digits);
}

void TzkNumEdit::SetValueFloat(double value)
{
    showNumber(plainNumber(value));
}

int TzkNumEdit::ValueInt() const
{
    const double value = ValueFloat();
    // nearbyint rounds halves to the even neighbour in the default mode.
    const double rounded = std::nearbyint(value);
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(rounded);
}

void TzkNumEdit::SetValueInt(int value)
{
    showNumber(QString::number(value));
}

void TzkNumEdit::focusInEvent(QFocusEvent *e)
{
    TzkCustomEdit::focusInEvent(e);
    selectAll();
}

// ---------------------------------------------------------------------------

TzkComboBox::TzkComboBox(QWidget *parent)
    : TzkInputControl(parent)
{
    setMaxVisibleItems(20);
    setInsertPolicy(QComboBox::NoInsert);
    SetEditable(true);
    useButtonFaceWhenDisabled(this);
}

void TzkComboBox::setupEdit()
{
    QLineEdit *edit = lineEdit();
    if (!edit)
        return;
    // No completion from the items while typing.
    if (edit->completer())
        setCompleter(nullptr);
    QValidator *old = const_cast<QValidator *>(edit->validator());
    edit->setValidator(caseValidator(m_charCase, edit));
    delete old;
}

void TzkComboBox::SetEditable(bool editable)
{
    setEditable(editable);
    setupEdit();
}

void TzkComboBox::SetCharCase(TEditCharCase charCase)
{
    m_charCase = charCase;
    setupEdit();
    if (lineEdit())
        lineEdit()->setText(lineEdit()->text());
}

void TzkComboBox::SetText(const QString &text)
{
    const int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (isEditable()) {
        if (index >= 0)
            setCurrentIndex(index);
        setEditText(text);
    } else {
        setCurrentIndex(index);
    }
}

bool TzkComboBox::IsNull() const
{
    return isBlankText(currentText());
}

bool TzkComboBox::MoveOnArrow(QKeyEvent *e)
{
    // Up and Down stay with the combo: they change the item.
    if (e->key() != Qt::Key_Left && e->key() != Qt::Key_Right)
        return false;
    const QLineEdit *edit = isEditable() ? lineEdit() : nullptr;
    const bool next = e->key() == Qt::Key_Right;
    bool move = !edit;
    if (edit && !next)
        move = edit->cursorPosition() == 0 && !edit->hasSelectedText();
    else if (edit)
        move = (edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition()) == edit->text().size();
    if (move)
        focusNextPrevChild(next);
    return move;
}

// ---------------------------------------------------------------------------

TzkCheckBox::TzkCheckBox(QWidget *parent)
    : TzkInputControl(parent)
{
}

TzkCheckBox::TzkCheckBox(const QString &text, QWidget *parent)
    : TzkInputControl(parent)
{
    setText(text);
}

// ---------------------------------------------------------------------------

TzkRadioButton::TzkRadioButton(QWidget *parent)
    : TzkInputControl(parent)
{
}

TzkRadioButton::TzkRadioButton(const QString &text, QWidget *parent)
    : TzkInputControl(parent)
{
    setText(text);
}

// ---------------------------------------------------------------------------

TzkListBox::TzkListBox(QWidget *parent)
    : QListWidget(parent)
{
}

void TzkListBox::SetSel(int start, int end)
{
    if (start != 0 || end != -1)
        return;
    switch (selectionMode()) {
    case QAbstractItemView::MultiSelection:
    case QAbstractItemView::ExtendedSelection:
    case QAbstractItemView::ContiguousSelection: selectAll(); break;
    default: break;
    }
}
