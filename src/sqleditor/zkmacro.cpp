// The key macro: recording, its file lines and its states.

#include "sqleditor/zkmacro.h"

#include "core/zkshortcut.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStringList>

namespace {

quint8 stateByte(bool down)
{
    return down ? KeyStateDown : 0;
}

// The character Windows makes of a key, or 0 for none.
char16_t windowsChar(const QKeyEvent *e, bool ctrl)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return ctrl ? 10 : 13;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return ctrl ? 0 : 9;
    case Qt::Key_Backspace: return ctrl ? 127 : 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return u' ';
    default: break;
    }
    if (ctrl) {
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            return char16_t(e->key() - Qt::Key_A + 1);
        return 0;
    }
    const QString text = e->text();
    if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() == 0x7F)
        return 0;
    return text[0].unicode();
}

// The settings lists' comma text: a double quote starts and ends a field
// (doubled inside for one), blanks and commas separate fields outside quotes.
QStringList splitCommaText(const QString &text)
{
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype p = 0;
    auto skipBlanks = [&] {
        while (p < n && text[p].unicode() <= u' ')
            ++p;
    };
    skipBlanks();
    while (p < n) {
        QString field;
        if (text[p] == u'"') {
            ++p;
            while (p < n) {
                if (text[p] == u'"') {
                    if (p + 1 < n && text[p + 1] == u'"') {
                        field += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && text[p].unicode() > u' ' && text[p] != u',')
                ++p;
            field = text.mid(start, p - start);
        }
        fields << field;
        skipBlanks();
        if (p < n && text[p] == u',') {
            if (p + 1 == n)
                fields << QString();
            ++p;
            skipBlanks();
        }
    }
    return fields;
}

} // namespace

std::vector<TKeyMacroData> MacroItemsOfKey(const QKeyEvent *Event)
{
    const int key = Event->key();
    const Qt::KeyboardModifiers mods = Event->modifiers();
    // Alt with AltGr is a character key; Alt alone makes system keys.
    const bool alt = (mods & Qt::AltModifier) && !(mods & Qt::GroupSwitchModifier);
    if (alt || key == Qt::Key_F10 || key == Qt::Key_Alt)
        return {};
    const TShortCut word = KeyEventToShortCutWord(Event);
    const quint16 vk = word & 0xFF;
    if (vk == 0)
        return {};
    const bool ctrl = mods & Qt::ControlModifier;
    TKeyMacroData down;
    down.Msg = CN_KEYDOWN;
    down.CharCode = vk;
    down.KeyData = 1;
    down.Shift = stateByte((mods & Qt::ShiftModifier) || (word & scShift) || key == Qt::Key_Backtab);
    down.Ctrl = stateByte(ctrl);
    std::vector<TKeyMacroData> items{down};
    if (const char16_t ch = windowsChar(Event, ctrl)) {
        TKeyMacroData c = down;
        c.Msg = CN_CHAR;
        c.CharCode = ch;
        items.push_back(c);
    }
    return items;
}

std::vector<TKeyMacroData> MacroItemsOfCommit(const QString &Text)
{
    std::vector<TKeyMacroData> items;
    for (QChar c : Text) {
        TKeyMacroData d;
        d.Msg = WM_IME_CHAR;
        d.CharCode = c.unicode();
        d.KeyData = 1;
        items.push_back(d);
    }
    return items;
}

QString MacroDataToLine(const TKeyMacroData &Data)
{
    return QStringLiteral("\"%1\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\"")
        .arg(Data.Msg)
        .arg(Data.CharCode)
        .arg(Data.KeyData)
        .arg(Data.Shift)
        .arg(Data.Ctrl)
        .arg(Data.Alt);
}

bool MacroLineToData(const QString &Line, TKeyMacroData &Data)
{
    const QStringList fields = splitCommaText(Line);
    if (fields.size() != 6)
        return false;
    qint64 v[6];
    for (int i = 0; i < 6; ++i) {
        const QString &f = fields[i];
        bool ok = false;
        // Decimal digits with an optional sign only: no blanks, no hex.
        const bool digits = !f.isEmpty()
                            && std::all_of(f.begin() + ((f[0] == u'-' || f[0] == u'+') ? 1 : 0), f.end(),
                                           [](QChar c) { return c >= u'0' && c <= u'9'; });
        v[i] = digits ? f.toLongLong(&ok, 10) : 0;
        if (!ok)
            return false;
    }
    TKeyMacroData d;
    d.Msg = quint32(quint64(v[0]));
    d.CharCode = quint16(quint64(v[1]));
    d.KeyData = qint32(quint32(quint64(v[2])));
    d.Shift = quint8(quint64(v[3]));
    d.Ctrl = quint8(quint64(v[4]));
    d.Alt = quint8(quint64(v[5]));
    // A file must not bring events of other kinds into the editor.
    if (d.Msg != WM_IME_CHAR && d.Msg != CN_KEYDOWN && d.Msg != CN_CHAR)
        return false;
    Data = d;
    return true;
}

// ---- TzkMacroList ----

int TzkMacroList::Add(const QEvent *Event)
{
    std::vector<TKeyMacroData> items;
    switch (Event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride: items = MacroItemsOfKey(static_cast<const QKeyEvent *>(Event)); break;
    case QEvent::InputMethod:
        items = MacroItemsOfCommit(static_cast<const QInputMethodEvent *>(Event)->commitString());
        break;
    default: break;
    }
    m_items.insert(m_items.end(), items.begin(), items.end());
    return int(items.size());
}

PKeyMacroData TzkMacroList::Add(const TKeyMacroData &i_wMacroData)
{
    m_items.push_back(i_wMacroData);
    return &m_items.back();
}

void TzkMacroList::BeginRec()
{
    if (FStatus == msRecording || FStatus == msRunning)
        return;
    Clear();
    FStatus = msRecording;
}

void TzkMacroList::EndRec()
{
    if (FStatus == msRecording)
        FStatus = msWaiting;
}

void TzkMacroList::CancelRec()
{
    if (FStatus != msRecording)
        return;
    EndRec();
    Clear();
    FStatus = msNone;
}

void TzkMacroList::CancelExec()
{
    if (FStatus == msRunning)
        FStatus = msWaiting;
}

bool TzkMacroList::BeginRun()
{
    if (FStatus != msWaiting || m_items.empty())
        return false;
    FStatus = msRunning;
    return true;
}

void TzkMacroList::EndRun()
{
    FStatus = msWaiting;
}

void TzkMacroList::EditorGone()
{
    if (FStatus == msRecording || FStatus == msRunning)
        FStatus = msWaiting;
}

QString TzkMacroList::FileText() const
{
    QString text;
    for (const TKeyMacroData &d : m_items)
        text += MacroDataToLine(d) + QStringLiteral("\r\n");
    return text;
}

bool TzkMacroList::AddFileText(const QString &Text)
{
    QString text = Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    for (const QString &line : lines) {
        TKeyMacroData d;
        if (!MacroLineToData(line, d))
            return false;
        Add(d);
    }
    return !m_items.empty();
}
