#include "core/zksub_dialogs.h"

#include "controls/zkstdctl.h"
#include "core/zkapp.h"
#include "core/zkoption.h"
#include "core/zksub_files.h"
#include "platform/rtl/exceptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace {

// ---------------------------------------------------------------------------
// Message dialog

struct ButtonKind
{
    int id;
    const char *name; // object name, as tests and callers find the buttons
    const char *caption;
};

constexpr ButtonKind kButtons[] = {
    {IDOK, "OK", "OK"},
    {IDCANCEL, "Cancel", "キャンセル"},
    {IDABORT, "Abort", "中止(&A)"},
    {IDRETRY, "Retry", "再試行(&R)"},
    {IDIGNORE, "Ignore", "無視(&I)"},
    {IDYES, "Yes", "はい(&Y)"},
    {IDNO, "No", "いいえ(&N)"},
};

const ButtonKind &buttonKind(int id)
{
    for (const ButtonKind &b : kButtons) {
        if (b.id == id)
            return b;
    }
    return kButtons[0];
}

// The buttons of the flags, in their order on screen. The message box has
// the desktop's order; the check dialog makes its buttons in the order Yes,
// No, OK, Cancel, Abort, Retry, Ignore, which differs for Retry and Cancel.
QList<int> buttonsOf(int flags, bool creationOrder)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return creationOrder ? QList<int>{IDCANCEL, IDRETRY} : QList<int>{IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int defaultButtonIndex(int flags, qsizetype count)
{
    const int index = (flags >> 8) & 0xF;
    return index < count ? index : 0;
}

QString plainLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool hasApplication()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

QWidget *dialogParent()
{
    QWidget *active = QApplication::activeModalWidget();
    if (!active)
        active = QApplication::activeWindow();
    return active;
}

class TzkMessageDialog : public QDialog
{
public:
    TzkMessageDialog(QWidget *parent, const QString &text, QStyle::StandardPixmap icon, bool hasIcon,
                     const QList<int> &buttons, int defaultIndex, const QStringList *captions,
                     const TzkCheckList &checks)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("zkMessageDialog"));
        setWindowTitle(TzkApplication::Title());
        setModal(true);

        auto *outer = new QVBoxLayout(this);
        outer->setContentsMargins(0, 0, 0, 0);
        outer->setSpacing(0);
        outer->setSizeConstraint(QLayout::SetFixedSize);

        // The text area on the window colour, the buttons below it.
        auto *body = new QWidget(this);
        body->setBackgroundRole(QPalette::Base);
        body->setAutoFillBackground(true);
        auto *bodyLayout = new QHBoxLayout(body);
        bodyLayout->setContentsMargins(20, 20, 24, 20);
        bodyLayout->setSpacing(14);
        if (hasIcon) {
            auto *image = new QLabel(body);
            image->setObjectName(QStringLiteral("Image"));
            const int extent = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
            image->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(extent, extent));
            image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
            bodyLayout->addWidget(image, 0, Qt::AlignTop);
        }
        auto *textColumn = new QVBoxLayout;
        textColumn->setSpacing(8);
        auto *message = new QLabel(plainLines(text), body);
        message->setObjectName(QStringLiteral("Message"));
        message->setTextFormat(Qt::PlainText);
        message->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Wide enough for its longest line, up to a limit past which it wraps.
        const QFontMetrics fm(message->font());
        int widest = 0;
        for (const QString &line : message->text().split(QLatin1Char('\n')))
            widest = qMax(widest, fm.horizontalAdvance(line));
        const int limit = fm.averageCharWidth() * 70;
        if (widest > limit) {
            message->setWordWrap(true);
            message->setFixedWidth(limit);
        }
        textColumn->addWidget(message);
        for (int i = 0; i < checks.size(); ++i) {
            auto *box = new QCheckBox(checks.at(i).Caption, body);
            box->setObjectName(QStringLiteral("Check%1").arg(i));
            box->setChecked(checks.at(i).Value && *checks.at(i).Value);
            textColumn->addWidget(box);
            m_checkBoxes << box;
        }
        bodyLayout->addLayout(textColumn, 1);
        outer->addWidget(body);

        auto *buttonRow = new QHBoxLayout;
        buttonRow->setContentsMargins(20, 10, 20, 10);
        buttonRow->addStretch(1);
        const int buttonWidth = fm.horizontalAdvance(QStringLiteral("キャンセル")) + 32;
        for (int j = 0; j < buttons.size(); ++j) {
            const ButtonKind &kind = buttonKind(buttons.at(j));
            const QString caption =
                captions && j < captions->size() ? captions->at(j) : QString::fromUtf8(kind.caption);
            auto *button = new QPushButton(caption, this);
            button->setObjectName(QString::fromLatin1(kind.name));
            button->setMinimumWidth(buttonWidth);
            // Enter presses the focused button; the flags' default
            // button answers it while no other button has the focus.
            button->setAutoDefault(true);
            const int id = kind.id;
            connect(button, &QPushButton::clicked, this, [this, id] { done(id); });
            buttonRow->addWidget(button);
            m_buttons << button;
        }
        buttonRow->addStretch(1);
        outer->addLayout(buttonRow);

        QPushButton *def = m_buttons.at(defaultIndex);
        def->setDefault(true);
        def->setFocus();
    }

    // Esc, Alt+F4 and the close button all end here.
    void reject() override { done(IDCANCEL); }

protected:
    // As in the desktop's message boxes, a button's underlined letter works
    // without Alt too: Y and N answer a question straight away.
    void keyPressEvent(QKeyEvent *e) override
    {
        if (!(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))) {
            for (QPushButton *button : std::as_const(m_buttons)) {
                const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
                if (!mnemonic.isEmpty() && mnemonic[0].key() == e->key()) {
                    button->click();
                    return;
                }
            }
        }
        QDialog::keyPressEvent(e);
    }

public:
    void writeBack(const TzkCheckList &checks) const
    {
        for (int i = 0; i < checks.size() && i < m_checkBoxes.size(); ++i) {
            if (checks.at(i).Value)
                *checks.at(i).Value = m_checkBoxes.at(i)->isChecked();
        }
    }

private:
    QList<QPushButton *> m_buttons;
    QList<QCheckBox *> m_checkBoxes;
};

// ---------------------------------------------------------------------------
// Run-time dialogs

int mulDiv(int a, int b, int c)
{
    return int(std::lround(double(a) * b / c));
}

QPushButton *addOkCancel(QDialog *dialog, QVBoxLayout *layout, QPoint units)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 14 - layout->spacing(), 0, 0);
    row->addStretch(1);
    auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *b : {ok, cancel}) {
        b->setFixedSize(mulDiv(50, units.x(), 4), qMax(mulDiv(14, units.y(), 8), b->sizeHint().height()));
        row->addWidget(b);
    }
    row->setSpacing(mulDiv(92 - 38 - 50, units.x(), 4));
    row->addStretch(1);
    layout->addLayout(row);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return ok;
}

std::unique_ptr<QDialog> makeInputForm(const QString &caption, QPoint *units)
{
    auto dialog = std::make_unique<QDialog>(dialogParent());
    dialog->setWindowTitle(caption);
    dialog->setModal(true);
    *units = GetAverageCharWidth(dialog->font());
    return dialog;
}

QLabel *addPrompt(QDialog *dialog, QVBoxLayout *layout, const QString &prompt, QPoint units)
{
    auto *label = new QLabel(prompt, dialog);
    label->setObjectName(QStringLiteral("lblPrompt"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setMaximumWidth(mulDiv(164, units.x(), 4));
    layout->addWidget(label);
    return label;
}

QVBoxLayout *formLayout(QDialog *dialog, QPoint units)
{
    auto *layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const int margin = mulDiv(8, units.x(), 4);
    layout->setContentsMargins(margin, mulDiv(8, units.y(), 8), margin, 13);
    layout->setSpacing(5);
    return layout;
}

void centreOnScreen(QWidget *w)
{
    w->adjustSize();
    QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

QWidget *findMainForm()
{
    QWidget *candidate = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow *>(w)) {
            if (w->isVisible())
                return w;
            if (!candidate)
                candidate = w;
        }
    }
    return candidate;
}

// ---------------------------------------------------------------------------
// Format

[[noreturn]] void formatError(const QString &format)
{
    throw Exception(QStringLiteral("書式 \"%1\" が不正か、引数と合いません。").arg(format));
}

QString groupThousands(const QString &digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits.at(i);
    }
    return out;
}

bool isIntegerArg(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort: return true;
    default: return false;
    }
}

bool isNumberArg(const QVariant &v)
{
    return isIntegerArg(v) || v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

QString formatFloat(QChar type, double value, int prec)
{
    switch (type.unicode()) {
    case 'f': return QString::number(value, 'f', prec < 0 ? 2 : prec);
    case 'n': {
        QString text = QString::number(std::fabs(value), 'f', prec < 0 ? 2 : prec);
        const qsizetype dot = text.indexOf(QLatin1Char('.'));
        const QString whole = dot < 0 ? text : text.left(dot);
        text = groupThousands(whole) + (dot < 0 ? QString() : text.mid(dot));
        return value < 0 ? QLatin1Char('-') + text : text;
    }
    case 'e': {
        // d.ddd…E+ddd: the precision counts every digit, the exponent has three.
        QString text = QString::number(value, 'e', qMax(0, (prec < 0 ? 15 : prec) - 1)).toUpper();
        const qsizetype e = text.indexOf(QLatin1Char('E'));
        QString exponent = text.mid(e + 2);
        while (exponent.size() < 3)
            exponent.prepend(QLatin1Char('0'));
        return text.left(e + 2) + exponent;
    }
    default: { // g
        QString text = QString::number(value, 'g', prec < 0 ? 15 : qMax(1, prec)).toUpper();
        text.replace(QLatin1String("E+0"), QLatin1String("E+")).replace(QLatin1String("E-0"), QLatin1String("E-"));
        return text;
    }
    }
}

} // namespace

// ---------------------------------------------------------------------------

QString FormatText(const QString &format, const QVariantList &args)
{
    QString out;
    int next = 0;
    const qsizetype n = format.size();
    auto takeArg = [&](int index) -> const QVariant & {
        if (index < 0 || index >= args.size())
            formatError(format);
        return args.at(index);
    };
    auto readNumber = [&](qsizetype &i, int *value) -> bool {
        if (i < n && format.at(i) == QLatin1Char('*')) {
            const QVariant &v = takeArg(next++);
            if (!isIntegerArg(v))
                formatError(format);
            *value = v.toInt();
            ++i;
            return true;
        }
        const qsizetype start = i;
        while (i < n && format.at(i).isDigit())
            ++i;
        if (i == start)
            return false;
        *value = format.mid(start, i - start).toInt();
        return true;
    };

    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        ++i;
        if (i >= n)
            formatError(format);
        if (format.at(i) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            continue;
        }
        // An argument index: digits followed by ":".
        qsizetype digitsEnd = i;
        while (digitsEnd < n && format.at(digitsEnd).isDigit())
            ++digitsEnd;
        if (digitsEnd > i && digitsEnd < n && format.at(digitsEnd) == QLatin1Char(':')) {
            next = format.mid(i, digitsEnd - i).toInt();
            i = digitsEnd + 1;
        }
        bool left = false;
        if (i < n && format.at(i) == QLatin1Char('-')) {
            left = true;
            ++i;
        }
        int width = -1;
        readNumber(i, &width);
        int prec = -1;
        if (i < n && format.at(i) == QLatin1Char('.')) {
            ++i;
            if (!readNumber(i, &prec))
                prec = 0;
        }
        if (i >= n)
            formatError(format);
        const QChar type = format.at(i).toLower();
        const QVariant &arg = takeArg(next++);
        QString text;
        switch (type.unicode()) {
        case 'd':
        case 'u':
        case 'x': {
            if (!isIntegerArg(arg))
                formatError(format);
            const qlonglong v = arg.toLongLong();
            if (type == QLatin1Char('x'))
                text = QString::number(quint64(v), 16).toUpper();
            else if (type == QLatin1Char('u'))
                text = QString::number(quint64(v < 0 ? quint32(v) : v));
            else
                text = QString::number(v < 0 ? -quint64(v) : quint64(v));
            while (prec > 0 && text.size() < prec)
                text.prepend(QLatin1Char('0'));
            if (type == QLatin1Char('d') && v < 0)
                text.prepend(QLatin1Char('-'));
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
            if (!isNumberArg(arg))
                formatError(format);
            text = formatFloat(type, arg.toDouble(), prec);
            break;
        case 's':
            if (!arg.canConvert<QString>() || isNumberArg(arg))
                formatError(format);
            text = arg.toString();
            if (prec >= 0)
                text.truncate(prec);
            break;
        default: formatError(format);
        }
        if (width > text.size())
            text = left ? text.leftJustified(width) : text.rightJustified(width);
        out += text;
    }
    return out;
}

int ShowAppMessage(const QString &text, int flags)
{
    if (!hasApplication())
        return IDCANCEL;
    QCoreApplication::processEvents();
    flags &= 0xFFFF;
    QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
    bool hasIcon = true;
    switch (flags & 0xF0) {
    case MB_ICONERROR: icon = QStyle::SP_MessageBoxCritical; break;
    case MB_ICONQUESTION: icon = QStyle::SP_MessageBoxQuestion; break;
    case MB_ICONWARNING: icon = QStyle::SP_MessageBoxWarning; break;
    case MB_ICONINFORMATION: icon = QStyle::SP_MessageBoxInformation; break;
    default: hasIcon = false; break;
    }
    const QList<int> buttons = buttonsOf(flags, false);
    TzkMessageDialog dialog(dialogParent(), text, icon, hasIcon, buttons, defaultButtonIndex(flags, buttons.size()),
                            nullptr, {});
    return dialog.exec();
}

int ShowAppMessageFmt(const QString &format, const QVariantList &args, int flags)
{
    return ShowAppMessage(FormatText(format, args), flags);
}

int ShowCheckMessage(const QString &text, int flags, const TzkCheckList &checks, const QStringList *buttonCaptions)
{
    if (!hasApplication())
        return IDCANCEL;
    QCoreApplication::processEvents();
    QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
    switch (flags & 0xF0) {
    case MB_ICONERROR: icon = QStyle::SP_MessageBoxCritical; break;
    case MB_ICONQUESTION: icon = QStyle::SP_MessageBoxQuestion; break;
    case MB_ICONWARNING: icon = QStyle::SP_MessageBoxWarning; break;
    default: break;
    }
    const QList<int> buttons = buttonsOf(flags, true);
    TzkMessageDialog dialog(dialogParent(), text, icon, true, buttons, defaultButtonIndex(flags, buttons.size()),
                            buttonCaptions, checks);
    centreOnScreen(&dialog);
    const int result = dialog.exec();
    dialog.writeBack(checks);
    return result;
}

bool InputQueryDialog(const QString &caption, const QString &prompt, QString &value, const TzkCheckList &checks,
                      const QStringList &owners, QString &owner, bool numeric)
{
    QPoint units;
    const std::unique_ptr<QDialog> dialog = makeInputForm(caption, &units);
    QVBoxLayout *layout = formLayout(dialog.get(), units);
    dialog->setMinimumWidth(mulDiv(180, units.x(), 4));
    addPrompt(dialog.get(), layout, prompt, units);

    QLineEdit *edit = nullptr;
    if (numeric) {
        auto *num = new TzkNumEdit(dialog.get());
        num->setMaxLength(9);
        edit = num;
    } else {
        edit = new QLineEdit(dialog.get());
        edit->setMaxLength(255);
    }
    edit->setObjectName(QStringLiteral("txtValue"));
    edit->setFixedWidth(mulDiv(164, units.x(), 4));
    edit->setText(value);
    edit->selectAll();
    layout->addWidget(edit);

    QComboBox *ownerCombo = nullptr;
    if (!owners.isEmpty()) {
        layout->addSpacing(5);
        auto *label = new QLabel(QStringLiteral("コピー先所有者"), dialog.get());
        label->setObjectName(QStringLiteral("lblOwner"));
        label->setWordWrap(true);
        label->setMaximumWidth(mulDiv(164, units.x(), 4));
        layout->addWidget(label);
        ownerCombo = new QComboBox(dialog.get());
        ownerCombo->setObjectName(QStringLiteral("cmbOwner"));
        ownerCombo->setEditable(true);
        ownerCombo->setInsertPolicy(QComboBox::NoInsert);
        ownerCombo->setFixedWidth(mulDiv(164, units.x(), 4));
        ownerCombo->addItems(owners);
        ownerCombo->setCurrentIndex(owners.indexOf(owner));
        layout->addWidget(ownerCombo);
    }

    QList<QCheckBox *> boxes;
    if (!checks.isEmpty())
        layout->addSpacing(2);
    for (int i = 0; i < checks.size(); ++i) {
        auto *box = new QCheckBox(checks.at(i).Caption, dialog.get());
        box->setObjectName(QStringLiteral("Check%1").arg(i));
        box->setChecked(checks.at(i).Value && *checks.at(i).Value);
        layout->addWidget(box);
        boxes << box;
    }
    addOkCancel(dialog.get(), layout, units);
    edit->setFocus();
    centreOnScreen(dialog.get());

    if (dialog->exec() != QDialog::Accepted)
        return false;
    value = edit->text();
    if (ownerCombo)
        owner = ownerCombo->currentText();
    for (int i = 0; i < checks.size(); ++i) {
        if (checks.at(i).Value)
            *checks.at(i).Value = boxes.at(i)->isChecked();
    }
    return true;
}

bool ShowCopyDatabaseDialog(const QString &caption, const QString &prompt, QString &source, QString &target)
{
    QPoint units;
    const std::unique_ptr<QDialog> dialog = makeInputForm(caption, &units);
    QVBoxLayout *layout = formLayout(dialog.get(), units);
    dialog->setMinimumWidth(mulDiv(180, units.x(), 4));
    addPrompt(dialog.get(), layout, prompt, units);
    layout->addSpacing(10);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    auto addRow = [&](int row, const QString &caption, const char *name, const QString &text) {
        auto *label = new QLabel(caption, dialog.get());
        auto *edit = new QLineEdit(text, dialog.get());
        edit->setObjectName(QString::fromLatin1(name));
        edit->setFixedWidth(mulDiv(100, units.x(), 4));
        edit->selectAll();
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    QLineEdit *sourceEdit = addRow(0, QStringLiteral("コピー元DB"), "txtSource", source);
    QLineEdit *targetEdit = addRow(1, QStringLiteral("コピー先DB"), "txtTarget", target);
    layout->addLayout(grid);
    addOkCancel(dialog.get(), layout, units);
    sourceEdit->setFocus();
    centreOnScreen(dialog.get());

    if (dialog->exec() != QDialog::Accepted)
        return false;
    source = sourceEdit->text();
    target = targetEdit->text();
    return true;
}

bool ConfirmClipboardCopy()
{
    bool header = zkOption.PasteHeader;
    bool comma = zkOption.PasteColumn == 1;
    const TzkCheckList checks = {
        {QStringLiteral("列タイトルを出力する"), &header},
        {QStringLiteral("カンマ区切りにする(非チェック時はタブ区切り)"), &comma},
    };
    if (ShowCheckMessage(QStringLiteral("結果をクリップボードにコピーしますか？"), MB_YESNO | MB_ICONQUESTION, checks)
        != IDYES)
        return false;
    zkOption.PasteHeader = header;
    zkOption.PasteColumn = comma ? 1 : 0;
    return true;
}

bool ShowExcelSaveDialog(QWidget *owner, QString &fileName)
{
    const QString ext = zkOption.ExcelExt.isEmpty() ? QStringLiteral(".xlsx") : zkOption.ExcelExt.toLower();
    const QString pattern = QLatin1Char('*') + ext;
    const QString filter = QStringLiteral("Excelファイル(%1)").arg(pattern) + QStringLiteral(";;すべてのファイル(*.*)");

    QFileDialog dialog(owner ? owner : dialogParent(), QStringLiteral("名前を付けて保存"));
    dialog.setObjectName(QStringLiteral("dlgExcelSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QFileInfo given(fileName);
    if (!fileName.isEmpty() && given.dir().exists() && given.fileName() != fileName)
        dialog.setDirectory(given.absolutePath());
    dialog.selectFile(given.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;

    QString chosen = dialog.selectedFiles().constFirst();
    if (!HasKnownFileExt(chosen))
        chosen += ext;
    if (QFileInfo(chosen).completeBaseName().trimmed().isEmpty()) {
        ShowAppMessage(QStringLiteral("ファイル名を入力して下さい。"), MB_ICONWARNING);
        return false;
    }
    fileName = chosen;
    return true;
}

void PlaceForm(QWidget *form, int top, int left)
{
    if (!form)
        return;
    QScreen *screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect();
    const bool stored = !(top == -1 && left == -1);
    if (stored && top >= desktop.top() && top <= desktop.top() + desktop.height() && left >= desktop.left()
        && left <= desktop.left() + desktop.width()) {
        form->move(left, top);
        return;
    }
    const QRect frame = form->frameGeometry();
    QWidget *main = findMainForm();
    if (!main || main == form) {
        form->move((desktop.width() - frame.width()) / 2, (desktop.height() - frame.height()) / 2);
        return;
    }
    const QRect mainFrame = main->frameGeometry();
    form->move(mainFrame.left() + int(std::trunc(mainFrame.width() / 2.0 - frame.width() / 2.0)),
               mainFrame.top() + int(std::trunc(mainFrame.height() / 2.0 - frame.height() / 2.0)));
}

QPoint GetAverageCharWidth(const QFont &font)
{
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QPoint(width / 52, fm.height());
}

QStringList FileDialogFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts.at(i);
        const qsizetype open = desc.lastIndexOf(QLatin1Char('('));
        if (open > 0 && desc.endsWith(QLatin1Char(')')))
            desc.truncate(open);
        QStringList patterns;
        for (const QString &p : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
        filters << desc + QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

int FileDialogFilterIndex(const QStringList &filters, const QString &chosen)
{
    const qsizetype at = filters.indexOf(chosen);
    return at < 0 ? 0 : int(at) + 1;
}
