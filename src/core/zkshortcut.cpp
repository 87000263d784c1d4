#include "core/zkshortcut.h"

#include <QKeyEvent>

namespace {

struct NamedKey
{
    quint8 vk;
    const char *name;
    Qt::Key key;
    bool keypad = false;
};

// Keys with names of their own, in virtual-key order. Digits, letters and the
// function keys follow from their ranges (see vkName).
const NamedKey kNamedKeys[] = {
    {0x08, "BkSp", Qt::Key_Backspace},
    {0x09, "Tab", Qt::Key_Tab},
    {0x0D, "Enter", Qt::Key_Return},
    {0x1B, "Esc", Qt::Key_Escape},
    {0x20, "Space", Qt::Key_Space},
    {0x21, "PgUp", Qt::Key_PageUp},
    {0x22, "PgDn", Qt::Key_PageDown},
    {0x23, "End", Qt::Key_End},
    {0x24, "Home", Qt::Key_Home},
    {0x25, "Left", Qt::Key_Left},
    {0x26, "Up", Qt::Key_Up},
    {0x27, "Right", Qt::Key_Right},
    {0x28, "Down", Qt::Key_Down},
    {0x2D, "Ins", Qt::Key_Insert},
    {0x2E, "Del", Qt::Key_Delete},
    {0x6A, "Num *", Qt::Key_Asterisk, true},
    {0x6B, "Num +", Qt::Key_Plus, true},
    {0x6D, "Num -", Qt::Key_Minus, true},
    {0x6E, "Num Del", Qt::Key_Period, true},
    {0x6F, "Num /", Qt::Key_Slash, true},
    // The punctuation keys of a JIS keyboard, by their unshifted character.
    {0xBA, ":", Qt::Key_Colon},
    {0xBB, ";", Qt::Key_Semicolon},
    {0xBC, ",", Qt::Key_Comma},
    {0xBD, "-", Qt::Key_Minus},
    {0xBE, ".", Qt::Key_Period},
    {0xBF, "/", Qt::Key_Slash},
    {0xC0, "@", Qt::Key_At},
    {0xDB, "[", Qt::Key_BracketLeft},
    {0xDC, "\\", Qt::Key_Backslash}, // the yen key
    {0xDD, "]", Qt::Key_BracketRight},
    {0xDE, "^", Qt::Key_AsciiCircum},
    {0xE2, "\\", Qt::Key_Backslash}, // the ro key, beside the right Shift
};

// Characters that take Shift on a JIS keyboard, with the key they are typed
// on: Qt reports the character, the settings store the key plus Shift.
const std::pair<Qt::Key, quint8> kShiftedJis[] = {
    {Qt::Key_Exclam, 0x31},     {Qt::Key_QuoteDbl, 0x32},  {Qt::Key_NumberSign, 0x33}, {Qt::Key_Dollar, 0x34},
    {Qt::Key_Percent, 0x35},    {Qt::Key_Ampersand, 0x36}, {Qt::Key_Apostrophe, 0x37}, {Qt::Key_ParenLeft, 0x38},
    {Qt::Key_ParenRight, 0x39}, {Qt::Key_Equal, 0xBD},     {Qt::Key_AsciiTilde, 0xDE}, {Qt::Key_Bar, 0xDC},
    {Qt::Key_QuoteLeft, 0xC0},  {Qt::Key_BraceLeft, 0xDB}, {Qt::Key_Plus, 0xBB},       {Qt::Key_Asterisk, 0xBA},
    {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Less, 0xBC},      {Qt::Key_Greater, 0xBE},    {Qt::Key_Question, 0xBF},
    {Qt::Key_Underscore, 0xE2},
};

const NamedKey *namedKey(quint8 vk)
{
    for (const NamedKey &k : kNamedKeys)
        if (k.vk == vk)
            return &k;
    return nullptr;
}

QString vkName(quint8 vk)
{
    if (vk >= 0x30 && vk <= 0x39)
        return QString(QChar(vk));
    if (vk >= 0x41 && vk <= 0x5A)
        return QString(QChar(vk));
    if (vk >= 0x60 && vk <= 0x69) // keypad digits read as the digits
        return QString(QChar(vk - 0x30));
    if (vk >= 0x70 && vk <= 0x87)
        return QLatin1Char('F') + QString::number(vk - 0x6F);
    if (const NamedKey *k = namedKey(vk))
        return QLatin1String(k->name);
    return QString();
}

// The Qt key of a virtual-key code; Key_unknown when it has none here.
Qt::Key vkKey(quint8 vk, bool *keypad)
{
    *keypad = false;
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return Qt::Key(vk);
    if (vk >= 0x60 && vk <= 0x69) {
        *keypad = true;
        return Qt::Key(Qt::Key_0 + vk - 0x60);
    }
    if (vk >= 0x70 && vk <= 0x87)
        return Qt::Key(Qt::Key_F1 + vk - 0x70);
    if (const NamedKey *k = namedKey(vk)) {
        *keypad = k->keypad;
        return k->key;
    }
    return Qt::Key_unknown;
}

TShortCut modifierBits(Qt::KeyboardModifiers mods)
{
    TShortCut bits = 0;
    if (mods & Qt::ShiftModifier)
        bits |= scShift;
    if (mods & Qt::ControlModifier)
        bits |= scCtrl;
    if (mods & Qt::AltModifier)
        bits |= scAlt;
    return bits;
}

TShortCut wordOf(int key, Qt::KeyboardModifiers mods)
{
    const TShortCut bits = modifierBits(mods);
    const bool keypad = mods & Qt::KeypadModifier;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return bits | TShortCut(keypad ? 0x60 + key - Qt::Key_0 : key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return bits | TShortCut(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return bits | TShortCut(0x70 + key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Enter: // the keypad's
        return bits | 0x0D;
    case Qt::Key_Backtab: // Shift+Tab, as Qt names it
        return bits | scShift | 0x09;
    case Qt::Key_yen: // the yen key, where the layout reports its own character
        return bits | 0xDC;
    default: break;
    }
    for (const NamedKey &k : kNamedKeys)
        if (k.key == key && k.keypad == keypad)
            return bits | k.vk;
    for (const auto &[shifted, vk] : kShiftedJis)
        if (shifted == key)
            return bits | scShift | vk;
    // A keypad key without a code of its own counts as the main key.
    for (const NamedKey &k : kNamedKeys)
        if (k.key == key)
            return bits | k.vk;
    return 0;
}

bool takePrefix(QString &text, QLatin1String prefix)
{
    if (!text.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    text.remove(0, prefix.size());
    return true;
}

} // namespace

QString ShortCutWordToText(TShortCut ShortCut)
{
    const QString name = vkName(quint8(ShortCut & 0xFF));
    if (name.isEmpty())
        return QString();
    QString text;
    if (ShortCut & scShift)
        text += QLatin1String("Shift+");
    if (ShortCut & scCtrl)
        text += QLatin1String("Ctrl+");
    if (ShortCut & scAlt)
        text += QLatin1String("Alt+");
    return text + name;
}

TShortCut TextToShortCutWord(const QString &Text)
{
    QString t = Text.trimmed();
    TShortCut bits = 0;
    for (;;) {
        if (takePrefix(t, QLatin1String("Shift+")))
            bits |= scShift;
        else if (takePrefix(t, QLatin1String("Ctrl+")))
            bits |= scCtrl;
        else if (takePrefix(t, QLatin1String("Alt+")))
            bits |= scAlt;
        else if (t.size() > 1 && t.startsWith(QLatin1Char('^'))) { // "^" alone is the key
            bits |= scCtrl;
            t.remove(0, 1);
        } else
            break;
    }
    if (t.isEmpty())
        return 0;
    // The first code whose name matches, as names repeat (keypad digits).
    for (int vk = 0x08; vk <= 0xFF; ++vk)
        if (t.compare(vkName(quint8(vk)), Qt::CaseInsensitive) == 0)
            return bits | TShortCut(vk);
    return 0;
}

TShortCut KeyToShortCutWord(const QKeySequence &Key)
{
    if (Key.isEmpty())
        return 0;
    const QKeyCombination c = Key[0];
    return wordOf(c.key(), c.keyboardModifiers());
}

QKeySequence ShortCutWordToKey(TShortCut ShortCut)
{
    bool keypad = false;
    const Qt::Key key = vkKey(quint8(ShortCut & 0xFF), &keypad);
    if (key == Qt::Key_unknown)
        return QKeySequence();
    Qt::KeyboardModifiers mods;
    if (ShortCut & scShift)
        mods |= Qt::ShiftModifier;
    if (ShortCut & scCtrl)
        mods |= Qt::ControlModifier;
    if (ShortCut & scAlt)
        mods |= Qt::AltModifier;
    if (keypad)
        mods |= Qt::KeypadModifier;
    return QKeySequence(QKeyCombination(mods, key));
}

TShortCut KeyEventToShortCutWord(const QKeyEvent *Event)
{
    if (!Event)
        return 0;
    return wordOf(Event->key(), Event->modifiers());
}

QString ShortCutToText(const QKeySequence &Key)
{
    return ShortCutWordToText(KeyToShortCutWord(Key));
}

QKeySequence TextToShortCut(const QString &Text)
{
    return ShortCutWordToKey(TextToShortCutWord(Text));
}
