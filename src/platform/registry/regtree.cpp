#include "platform/registry/regtree.h"

#include <QtEndian>

RegValue RegValue::fromString(const QString &s, RegDataType t)
{
    RegValue v;
    v.type = t;
    v.text = s;
    return v;
}

RegValue RegValue::fromMulti(const QStringList &l)
{
    RegValue v;
    v.type = RegDataType::MultiString;
    v.lines = l;
    return v;
}

RegValue RegValue::fromDword(quint32 d)
{
    RegValue v;
    v.type = RegDataType::Integer;
    v.dword = d;
    return v;
}

RegValue RegValue::fromBinary(const QByteArray &b)
{
    RegValue v;
    v.type = RegDataType::Binary;
    v.bytes = b;
    return v;
}

int RegValue::dataSize() const
{
    switch (type) {
    case RegDataType::String:
    case RegDataType::ExpandString: return int(text.size() + 1) * 2;
    case RegDataType::MultiString: {
        int n = 1;
        for (const QString &l : lines)
            n += int(l.size()) + 1;
        return n * 2;
    }
    case RegDataType::Integer: return 4;
    case RegDataType::Binary:
    case RegDataType::Unknown: return int(bytes.size());
    }
    return 0;
}

bool RegValue::operator==(const RegValue &o) const
{
    return type == o.type && text == o.text && lines == o.lines && dword == o.dword && bytes == o.bytes
           && rawType == o.rawType;
}

RegKey *RegKey::child(const QString &n) const
{
    auto it = m_children.find(fold(n));
    return it == m_children.end() ? nullptr : it->second.get();
}

RegKey *RegKey::ensureChild(const QString &n)
{
    auto &slot = m_children[fold(n)];
    if (!slot) {
        slot = std::make_unique<RegKey>();
        slot->name = n;
    }
    return slot.get();
}

bool RegKey::removeChild(const QString &n)
{
    return m_children.erase(fold(n)) > 0;
}

QStringList RegKey::childNames() const
{
    QStringList out;
    out.reserve(qsizetype(m_children.size()));
    for (const auto &[folded, key] : m_children)
        out << key->name;
    return out;
}

const RegValue *RegKey::value(const QString &n) const
{
    const QString f = fold(n);
    for (const auto &[name, v] : m_values)
        if (fold(name) == f)
            return &v;
    return nullptr;
}

void RegKey::setValue(const QString &n, const RegValue &v)
{
    const QString f = fold(n);
    for (auto &[name, old] : m_values)
        if (fold(name) == f) {
            old = v;
            return;
        }
    m_values.emplace_back(n, v);
}

bool RegKey::removeValue(const QString &n)
{
    const QString f = fold(n);
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        if (fold(it->first) == f) {
            m_values.erase(it);
            return true;
        }
    return false;
}

QStringList RegKey::valueNames() const
{
    QStringList out;
    for (const auto &[name, v] : m_values)
        out << name;
    return out;
}

QStringList RegKey::splitPath(const QString &path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

RegKey *RegKey::find(const QString &path) const
{
    const RegKey *k = this;
    for (const QString &part : splitPath(path)) {
        k = k->child(part);
        if (!k)
            return nullptr;
    }
    return const_cast<RegKey *>(k);
}

RegKey *RegKey::ensure(const QString &path)
{
    RegKey *k = this;
    for (const QString &part : splitPath(path))
        k = k->ensureChild(part);
    return k;
}

std::unique_ptr<RegKey> RegKey::clone() const
{
    auto c = std::make_unique<RegKey>();
    c->name = name;
    c->m_values = m_values;
    for (const auto &[folded, key] : m_children)
        c->m_children.emplace(folded, key->clone());
    return c;
}

// ---------------------------------------------------------------------------
// Export text

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

QString quoted(const QString &s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

QString hexBytes(const QByteArray &b)
{
    QString out;
    out.reserve(b.size() * 3);
    for (int i = 0; i < b.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        out += QString::asprintf("%02x", quint8(b[i]));
    }
    return out;
}

QByteArray utf16le(const QString &s, bool terminate)
{
    QByteArray b;
    b.reserve((s.size() + 1) * 2);
    for (QChar c : s) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    if (terminate)
        b.append(2, '\0');
    return b;
}

QString fromUtf16le(const QByteArray &b)
{
    QString s;
    s.reserve(b.size() / 2);
    for (int i = 0; i + 1 < b.size(); i += 2)
        s += QChar(ushort(quint8(b[i]) | (quint8(b[i + 1]) << 8)));
    return s;
}

bool hasControlChars(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20)
            return true;
    return false;
}

QString valueText(const RegValue &v)
{
    switch (v.type) {
    case RegDataType::String:
        if (hasControlChars(v.text))
            return QStringLiteral("hex(1):") + hexBytes(utf16le(v.text, true));
        return quoted(v.text);
    case RegDataType::ExpandString: return QStringLiteral("hex(2):") + hexBytes(utf16le(v.text, true));
    case RegDataType::MultiString: {
        QByteArray b;
        for (const QString &l : v.lines)
            b += utf16le(l, true);
        b.append(2, '\0');
        return QStringLiteral("hex(7):") + hexBytes(b);
    }
    case RegDataType::Integer: return QStringLiteral("dword:") + QString::asprintf("%08x", v.dword);
    case RegDataType::Binary: return QStringLiteral("hex:") + hexBytes(v.bytes);
    case RegDataType::Unknown: return QStringLiteral("hex(%1):").arg(v.rawType, 0, 16) + hexBytes(v.bytes);
    }
    return {};
}

void writeKey(const RegKey &key, const QString &path, bool isRoot, QString &out)
{
    if (!isRoot || key.valueCount() > 0) {
        out += QLatin1String("\r\n[") + path + QLatin1String("]\r\n");
        for (const QString &n : key.valueNames()) {
            out += n.isEmpty() ? QStringLiteral("@") : quoted(n);
            out += QLatin1Char('=');
            out += valueText(*key.value(n));
            out += QLatin1String("\r\n");
        }
    }
    for (const QString &c : key.childNames())
        writeKey(*key.child(c), path + QLatin1Char('\\') + c, false, out);
}

// Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
bool readQuoted(const QString &s, qsizetype &pos, QString &out)
{
    if (pos >= s.size() || s[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    out.clear();
    while (pos < s.size()) {
        QChar c = s[pos++];
        if (c == QLatin1Char('\\')) {
            if (pos >= s.size())
                return false;
            out += s[pos++];
        } else if (c == QLatin1Char('"')) {
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

bool readHex(const QString &s, QByteArray &out)
{
    out.clear();
    const QString t = s.trimmed();
    if (t.isEmpty())
        return true;
    for (const QString &part : t.split(QLatin1Char(','))) {
        bool ok = false;
        const uint v = part.trimmed().toUInt(&ok, 16);
        if (!ok || v > 0xFF)
            return false;
        out.append(char(v));
    }
    return true;
}

bool parseValue(const QString &data, RegValue &v)
{
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        QString text;
        if (!readQuoted(data, pos, text) || !data.mid(pos).trimmed().isEmpty())
            return false;
        v = RegValue::fromString(text);
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"))) {
        bool ok = false;
        const quint32 d = data.mid(6).trimmed().toUInt(&ok, 16);
        if (!ok)
            return false;
        v = RegValue::fromDword(d);
        return true;
    }
    if (!data.startsWith(QLatin1String("hex")))
        return false;
    uint type = 3; // hex: is REG_BINARY
    qsizetype colon = data.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    if (data[3] == QLatin1Char('(')) {
        const qsizetype close = data.indexOf(QLatin1Char(')'));
        bool ok = false;
        type = data.mid(4, close - 4).toUInt(&ok, 16);
        if (!ok || close > colon)
            return false;
    }
    QByteArray bytes;
    if (!readHex(data.mid(colon + 1), bytes))
        return false;
    switch (type) {
    case 1:
    case 2: {
        QString s = fromUtf16le(bytes);
        if (s.endsWith(QChar(0)))
            s.chop(1);
        v = RegValue::fromString(s, type == 1 ? RegDataType::String : RegDataType::ExpandString);
        return true;
    }
    case 3: v = RegValue::fromBinary(bytes); return true;
    case 4:
        if (bytes.size() != 4)
            return false;
        v = RegValue::fromDword(qFromLittleEndian<quint32>(bytes.constData()));
        return true;
    case 7: {
        QString s = fromUtf16le(bytes);
        QStringList lines = s.split(QChar(0));
        // The list ends with two zeros: drop the empty tail they leave.
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        v = RegValue::fromMulti(lines);
        return true;
    }
    default:
        v = RegValue();
        v.type = RegDataType::Unknown;
        v.rawType = quint32(type);
        v.bytes = bytes;
        return true;
    }
}

} // namespace

QString RegFile::write(const RegKey &root, const QString &rootName)
{
    QString out = kHeader + QLatin1String("\r\n");
    writeKey(root, rootName, true, out);
    out += QLatin1String("\r\n");
    return out;
}

bool RegFile::parse(const QString &text, const QString &rootName, RegKey &root, QString *error)
{
    auto fail = [error](int line, const QString &why) {
        if (error)
            *error = QStringLiteral("%1行目: %2").arg(line).arg(why);
        return false;
    };
    QStringList lines = text.split(QLatin1Char('\n'));
    int lineNo = 0;
    bool headerSeen = false;
    RegKey *current = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        lineNo = int(i) + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        // Long hex values may continue on the next line after a backslash.
        while (line.endsWith(QLatin1Char('\\')) && i + 1 < lines.size()
               && !line.trimmed().startsWith(QLatin1Char('['))) {
            QString next = lines[++i];
            if (next.endsWith(QLatin1Char('\r')))
                next.chop(1);
            line.chop(1);
            line += next.trimmed();
        }
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (!headerSeen) {
            if (line.trimmed() != kHeader && line.trimmed() != QLatin1String("REGEDIT4"))
                return fail(lineNo, QStringLiteral("見出しがありません"));
            headerSeen = true;
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(lineNo, QStringLiteral("キーの行が閉じていません"));
            const QString path = line.mid(1, line.size() - 2);
            if (path.compare(rootName, Qt::CaseInsensitive) == 0) {
                current = &root;
                continue;
            }
            if (!path.startsWith(rootName + QLatin1Char('\\'), Qt::CaseInsensitive))
                return fail(lineNo, QStringLiteral("別のルートのキーです"));
            current = root.ensure(path.mid(rootName.size() + 1));
            continue;
        }
        if (!current)
            return fail(lineNo, QStringLiteral("キーの前に値があります"));
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!readQuoted(line, pos, name)) {
            return fail(lineNo, QStringLiteral("値の名前が読めません"));
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail(lineNo, QStringLiteral("'=' がありません"));
        RegValue v;
        if (!parseValue(line.mid(pos + 1), v))
            return fail(lineNo, QStringLiteral("値が読めません"));
        current->setValue(name, v);
    }
    if (!headerSeen)
        return fail(lineNo, QStringLiteral("見出しがありません"));
    return true;
}
