#include "platform/db/dbstore.h"

#include <algorithm>

#include "platform/db/dbtext.h"

#include <QDateTime>
#include <QTimeZone>
#include <QUuid>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

// --- TDBBuffer ---------------------------------------------------------------

namespace {

// From this size on a buffer has a mapping of its own.
constexpr qsizetype MappedFrom = 256 * 1024;

} // namespace

TDBBuffer::~TDBBuffer()
{
    release();
}

// A mapping is backed with memory a step ahead of its writes, one call per
// step, instead of one page fault per page (costly in virtual machines).
constexpr qsizetype PopulateStep = 512 * 1024;

// Large pages where the system offers them on request: far fewer pages to
// set up for a large result, at the price of up to one partly used large
// page per buffer.
void hugePages(void *p, qsizetype size)
{
    if (size >= 4 * 1024 * 1024)
        madvise(p, size_t(size), MADV_HUGEPAGE);
}

void TDBBuffer::release()
{
    if (m_mapped)
        munmap(m_data, size_t(m_capacity));
    else
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_populated = 0;
    m_mapped = false;
}

void TDBBuffer::reserveFor(qsizetype n)
{
    if (m_mapped && n <= m_capacity) {
        const qsizetype end = qMin(m_capacity, qMax(n, m_populated + PopulateStep));
        const qsizetype start = m_populated / 4096 * 4096;
        // Without MADV_POPULATE_WRITE (kernels before 5.14) pages fault in one by one.
        madvise(m_data + start, size_t(end - start), MADV_POPULATE_WRITE);
        m_populated = end;
        return;
    }
    if (!m_mapped && n < MappedFrom) {
        qsizetype cap = qMax<qsizetype>(m_capacity + m_capacity / 2, 256);
        cap = qMin(qMax(cap, n), MappedFrom);
        char *p = static_cast<char *>(std::realloc(m_data, size_t(cap)));
        if (!p)
            throw std::bad_alloc();
        m_data = p;
        m_capacity = m_populated = cap;
        return;
    }
    const qsizetype page = qsizetype(sysconf(_SC_PAGESIZE));
    qsizetype cap = qMax(2 * m_capacity, MappedFrom);
    while (cap < n)
        cap *= 2;
    cap = (cap + page - 1) / page * page;
    void *p;
    if (m_mapped) {
        p = mremap(m_data, size_t(m_capacity), size_t(cap), MREMAP_MAYMOVE);
        if (p != MAP_FAILED)
            hugePages(p, cap);
    } else {
        p = mmap(nullptr, size_t(cap), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED)
            hugePages(p, cap);
        if (p != MAP_FAILED && m_size > 0)
            std::memcpy(p, m_data, size_t(m_size));
        if (p != MAP_FAILED)
            std::free(m_data);
    }
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    if (!m_mapped)
        m_populated = m_size;
    m_data = static_cast<char *>(p);
    m_capacity = cap;
    m_mapped = true;
    reserveFor(n);
}

void TDBBuffer::resize(qsizetype n, char fill)
{
    if (n > m_size) {
        const qsizetype old = m_size;
        grow(n - old);
        std::memset(m_data + old, fill, size_t(n - old));
    } else {
        m_size = n;
    }
}

// --- the store ---------------------------------------------------------------

namespace {

using dbstore_p::isVariable;
using dbstore_p::NarrowFlag;
using dbstore_p::OffsetMask;

int widthOf(TDBStorage s)
{
    switch (s) {
    case TDBStorage::Bool:
    case TDBStorage::UInt8: return 1;
    case TDBStorage::Int16: return 2;
    case TDBStorage::Int32:
    case TDBStorage::Float32:
    case TDBStorage::Date: return 4;
    case TDBStorage::Int64:
    case TDBStorage::Float64:
    case TDBStorage::Decimal:
    case TDBStorage::Time:
    case TDBStorage::DateTime: return 8;
    case TDBStorage::DateTimeOffset:
    case TDBStorage::Guid: return 16;
    case TDBStorage::Text:
    case TDBStorage::Binary:
    case TDBStorage::BigDecimal: return 4; // an offset per cell (see ColumnData)
    }
    return 8;
}

qint64 pow10(int n)
{
    qint64 v = 1;
    while (n-- > 0)
        v *= 10;
    return v;
}

qint64 ticksOfTime(const QTime &t)
{
    return qint64(t.msecsSinceStartOfDay()) * 10000;
}

qint64 ticksOfDateTime(const QDateTime &dt)
{
    return qint64(dbtext::DaysFromDate(dt.date())) * dbtext::TicksPerDay + ticksOfTime(dt.time());
}

QDateTime dateTimeOfTicks(qint64 ticks, const QTimeZone &zone)
{
    const qint64 days = ticks / dbtext::TicksPerDay;
    const QTime time = QTime::fromMSecsSinceStartOfDay(int((ticks - days * dbtext::TicksPerDay) / 10000));
    return QDateTime(dbtext::DateFromDays(qint32(days)), time, zone);
}

void guidBytes(const QUuid &u, uchar *out)
{
    std::memcpy(out, &u.data1, 4);
    std::memcpy(out + 4, &u.data2, 2);
    std::memcpy(out + 6, &u.data3, 2);
    std::memcpy(out + 8, u.data4, 8);
}

QUuid guidOf(const uchar *b)
{
    QUuid u;
    std::memcpy(&u.data1, b, 4);
    std::memcpy(&u.data2, b + 4, 2);
    std::memcpy(&u.data3, b + 6, 2);
    std::memcpy(u.data4, b + 8, 8);
    return u;
}

} // namespace

TDBResultSet::TDBResultSet(const QList<TDBColumnDef> &columns)
    : m_defs(columns)
{
    m_columns.reserve(size_t(columns.size()));
    for (const TDBColumnDef &def : columns) {
        auto d = std::make_unique<ColumnData>();
        d->storage = def.storage;
        d->scale = def.scale;
        d->width = widthOf(def.storage);
        if (isVariable(def.storage))
            d->values.push<quint32>(0);
        m_columns.push_back(std::move(d));
    }
}

TDBResultSet::~TDBResultSet() = default;

int TDBResultSet::IndexOf(const QString &name) const
{
    for (int i = 0; i < m_defs.size(); ++i) {
        if (m_defs.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qint64 TDBResultSet::RecordCount() const
{
    return m_hasOrder ? qint64(m_order.size()) : m_rows;
}

TRecordId TDBResultSet::RecordId(qint64 position) const
{
    if (position < 0 || position >= RecordCount())
        return -1;
    return m_hasOrder ? TRecordId(m_order[size_t(position)]) : position;
}

qint64 TDBResultSet::PositionOf(TRecordId id) const
{
    if (id < 0 || id >= m_rows)
        return -1;
    if (!m_hasOrder)
        return id;
    if (!m_positionsValid) {
        m_positions.assign(size_t(m_rows), UINT32_MAX);
        for (size_t i = 0; i < m_order.size(); ++i)
            m_positions[m_order[i]] = quint32(i);
        m_positionsValid = true;
    }
    // A record made since the map was built has no position yet.
    if (size_t(id) >= m_positions.size())
        return -1;
    const quint32 p = m_positions[size_t(id)];
    return p == UINT32_MAX ? -1 : qint64(p);
}

bool TDBResultSet::IsNull(int column, TRecordId id) const
{
    const ColumnData &d = data(column);
    if (!d.edits.isEmpty()) {
        const auto it = d.edits.constFind(id);
        if (it != d.edits.constEnd())
            return it->isNull();
    }
    return d.bitNull(id);
}

QString TDBResultSet::Text(int column, TRecordId id) const
{
    if (IsNull(column, id))
        return QString();
    const ColumnData &d = data(column);
    const TDBColumnDef &def = m_defs.at(column);
    if (isVariable(d.storage)) {
        if (!d.edits.isEmpty()) {
            const auto it = d.edits.constFind(id);
            if (it != d.edits.constEnd()) {
                if (d.storage == TDBStorage::Binary) {
                    const QByteArray b = it->toByteArray();
                    return dbtext::FormatBinary(b.constData(), b.size());
                }
                return it->toString();
            }
        }
        const char *p;
        qsizetype bytes;
        bool narrow;
        d.cell(id, &p, &bytes, &narrow);
        if (d.storage == TDBStorage::Binary)
            return dbtext::FormatBinary(p, bytes);
        if (narrow)
            return QString::fromLatin1(p, bytes);
        return QString(reinterpret_cast<const QChar *>(p), bytes / 2);
    }
    const char *v = d.fixed(id);
    switch (d.storage) {
    case TDBStorage::Bool: return dbtext::FormatBool(*v != 0);
    case TDBStorage::UInt8: return dbtext::FormatInt(quint8(*v));
    case TDBStorage::Int16: return dbtext::FormatInt(d.values.at<qint16>(id));
    case TDBStorage::Int32: return dbtext::FormatInt(d.values.at<qint32>(id));
    case TDBStorage::Int64: return dbtext::FormatInt(d.values.at<qint64>(id));
    case TDBStorage::Float32: return dbtext::FormatSingle(d.values.at<float>(id));
    case TDBStorage::Float64: return dbtext::FormatDouble(d.values.at<double>(id));
    case TDBStorage::Decimal: return dbtext::FormatDecimal(d.values.at<qint64>(id), def.scale);
    case TDBStorage::Date: return dbtext::FormatDate(d.values.at<qint32>(id));
    case TDBStorage::Time: return dbtext::FormatTime(d.values.at<qint64>(id), def.scale);
    case TDBStorage::DateTime: return dbtext::FormatDateTime(d.values.at<qint64>(id), def.scale);
    case TDBStorage::DateTimeOffset: {
        qint64 ticks;
        qint32 offset;
        std::memcpy(&ticks, v, 8);
        std::memcpy(&offset, v + 8, 4);
        return dbtext::FormatDateTimeOffset(ticks, offset, def.scale);
    }
    case TDBStorage::Guid: return dbtext::FormatGuid(reinterpret_cast<const uchar *>(v));
    default: break;
    }
    return QString();
}

QVariant TDBResultSet::Value(int column, TRecordId id) const
{
    if (IsNull(column, id))
        return QVariant();
    const ColumnData &d = data(column);
    if (isVariable(d.storage)) {
        if (!d.edits.isEmpty()) {
            const auto it = d.edits.constFind(id);
            if (it != d.edits.constEnd())
                return *it;
        }
        if (d.storage == TDBStorage::Binary)
            return AsBytes(column, id);
        return Text(column, id);
    }
    const char *v = d.fixed(id);
    switch (d.storage) {
    case TDBStorage::Bool: return bool(*v != 0);
    case TDBStorage::UInt8: return int(quint8(*v));
    case TDBStorage::Int16: return int(d.values.at<qint16>(id));
    case TDBStorage::Int32: return int(d.values.at<qint32>(id));
    case TDBStorage::Int64: return qlonglong(d.values.at<qint64>(id));
    case TDBStorage::Float32: return double(d.values.at<float>(id));
    case TDBStorage::Float64: return d.values.at<double>(id);
    case TDBStorage::Decimal: {
        // Exact digits without the date/number formats of the text form.
        return dbtext::FormatDecimal(d.values.at<qint64>(id), m_defs.at(column).scale);
    }
    case TDBStorage::Date: return dbtext::DateFromDays(d.values.at<qint32>(id));
    case TDBStorage::Time: return QTime::fromMSecsSinceStartOfDay(int(d.values.at<qint64>(id) / 10000));
    case TDBStorage::DateTime: return dateTimeOfTicks(d.values.at<qint64>(id), QTimeZone::utc());
    case TDBStorage::DateTimeOffset: {
        qint64 ticks;
        qint32 offset;
        std::memcpy(&ticks, v, 8);
        std::memcpy(&offset, v + 8, 4);
        return dateTimeOfTicks(ticks, QTimeZone(offset * 60));
    }
    case TDBStorage::Guid: return guidOf(reinterpret_cast<const uchar *>(v));
    default: break;
    }
    return QVariant();
}

qint64 TDBResultSet::AsInt64(int column, TRecordId id) const
{
    if (IsNull(column, id))
        return 0;
    const ColumnData &d = data(column);
    switch (d.storage) {
    case TDBStorage::Bool: return *d.fixed(id) != 0;
    case TDBStorage::UInt8: return quint8(*d.fixed(id));
    case TDBStorage::Int16: return d.values.at<qint16>(id);
    case TDBStorage::Int32: return d.values.at<qint32>(id);
    case TDBStorage::Int64: return d.values.at<qint64>(id);
    case TDBStorage::Float32:
    case TDBStorage::Float64: return qint64(std::llround(AsDouble(column, id)));
    case TDBStorage::Decimal: return d.values.at<qint64>(id) / pow10(m_defs.at(column).scale);
    case TDBStorage::Date: return d.values.at<qint32>(id);
    case TDBStorage::Time:
    case TDBStorage::DateTime:
    case TDBStorage::DateTimeOffset: return Ticks(column, id);
    default: {
        const QString s = Text(column, id).trimmed();
        bool ok = false;
        const qint64 v = s.toLongLong(&ok);
        if (ok)
            return v;
        return qint64(std::llround(s.toDouble()));
    }
    }
}

double TDBResultSet::AsDouble(int column, TRecordId id) const
{
    if (IsNull(column, id))
        return 0;
    const ColumnData &d = data(column);
    switch (d.storage) {
    case TDBStorage::Float32: return d.values.at<float>(id);
    case TDBStorage::Float64: return d.values.at<double>(id);
    case TDBStorage::Decimal: return double(d.values.at<qint64>(id)) / double(pow10(m_defs.at(column).scale));
    case TDBStorage::Text:
    case TDBStorage::BigDecimal: return Text(column, id).trimmed().toDouble();
    default: return double(AsInt64(column, id));
    }
}

bool TDBResultSet::AsBool(int column, TRecordId id) const
{
    if (IsNull(column, id))
        return false;
    const ColumnData &d = data(column);
    if (d.storage == TDBStorage::Text) {
        const QString s = Text(column, id).trimmed();
        return s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s.toLongLong() != 0;
    }
    if (d.storage == TDBStorage::Float32 || d.storage == TDBStorage::Float64)
        return AsDouble(column, id) != 0;
    if (d.storage == TDBStorage::Decimal)
        return d.values.at<qint64>(id) != 0;
    return AsInt64(column, id) != 0;
}

QByteArray TDBResultSet::AsBytes(int column, TRecordId id) const
{
    if (IsNull(column, id))
        return QByteArray();
    const ColumnData &d = data(column);
    if (d.storage == TDBStorage::Binary) {
        if (!d.edits.isEmpty()) {
            const auto it = d.edits.constFind(id);
            if (it != d.edits.constEnd())
                return it->toByteArray();
        }
        const char *p;
        qsizetype bytes;
        bool narrow;
        d.cell(id, &p, &bytes, &narrow);
        return QByteArray(p, bytes);
    }
    if (d.storage == TDBStorage::Guid)
        return QByteArray(d.fixed(id), 16);
    return Text(column, id).toUtf8();
}

qint64 TDBResultSet::ScaledDecimal(int column, TRecordId id) const
{
    const ColumnData &d = data(column);
    return d.storage == TDBStorage::Decimal && !IsNull(column, id) ? d.values.at<qint64>(id) : 0;
}

qint64 TDBResultSet::Ticks(int column, TRecordId id) const
{
    const ColumnData &d = data(column);
    if (IsNull(column, id))
        return 0;
    switch (d.storage) {
    case TDBStorage::Time:
    case TDBStorage::DateTime: return d.values.at<qint64>(id);
    case TDBStorage::DateTimeOffset: {
        qint64 ticks;
        std::memcpy(&ticks, d.fixed(id), 8);
        return ticks;
    }
    case TDBStorage::Date: return qint64(d.values.at<qint32>(id)) * dbtext::TicksPerDay;
    default: return 0;
    }
}

qint32 TDBResultSet::Days(int column, TRecordId id) const
{
    const ColumnData &d = data(column);
    if (IsNull(column, id))
        return 0;
    if (d.storage == TDBStorage::Date)
        return d.values.at<qint32>(id);
    return qint32(Ticks(column, id) / dbtext::TicksPerDay);
}

int TDBResultSet::OffsetMinutes(int column, TRecordId id) const
{
    const ColumnData &d = data(column);
    if (d.storage != TDBStorage::DateTimeOffset || IsNull(column, id))
        return 0;
    qint32 offset;
    std::memcpy(&offset, d.fixed(id) + 8, 4);
    return offset;
}

// --- filling -----------------------------------------------------------------

void TDBResultSet::AppendNull(int column)
{
    ColumnData &d = data(column);
    const qint64 row = d.count();
    if (isVariable(d.storage))
        d.endCell(true);
    else
        std::memset(d.values.grow(d.width), 0, size_t(d.width));
    d.setNull(row, true);
}

void TDBResultSet::AppendBool(int column, bool value)
{
    ColumnData &d = data(column);
    if (d.storage == TDBStorage::Bool)
        d.values.push<quint8>(value ? 1 : 0);
    else
        AppendInt(column, value ? 1 : 0);
}

void TDBResultSet::AppendInt(int column, qint64 value)
{
    ColumnData &d = data(column);
    switch (d.storage) {
    case TDBStorage::Bool: d.values.push<quint8>(value != 0); break;
    case TDBStorage::UInt8: d.values.push<quint8>(quint8(value)); break;
    case TDBStorage::Int16: d.values.push<qint16>(qint16(value)); break;
    case TDBStorage::Int32: d.values.push<qint32>(qint32(value)); break;
    case TDBStorage::Int64: d.values.push<qint64>(value); break;
    case TDBStorage::Float32: d.values.push<float>(float(value)); break;
    case TDBStorage::Float64: d.values.push<double>(double(value)); break;
    case TDBStorage::Decimal: d.values.push<qint64>(value * pow10(d.scale)); break;
    default: AppendValue(column, QVariant(qlonglong(value))); break;
    }
}

void TDBResultSet::AppendDouble(int column, double value)
{
    ColumnData &d = data(column);
    switch (d.storage) {
    case TDBStorage::Float32: d.values.push<float>(float(value)); break;
    case TDBStorage::Float64: d.values.push<double>(value); break;
    case TDBStorage::Decimal: d.values.push<qint64>(qint64(std::llround(value * double(pow10(d.scale))))); break;
    default: AppendValue(column, QVariant(value)); break;
    }
}

void TDBResultSet::AppendScaled(int column, qint64 scaled)
{
    data(column).values.push<qint64>(scaled);
}

bool TDBResultSet::AppendDecimalText(int column, const char *text, qsizetype size)
{
    ColumnData &d = data(column);
    if (d.storage == TDBStorage::Decimal) {
        qint64 v;
        if (!dbtext::ParseDecimal(text, size, d.scale, &v)) {
            AppendNull(column);
            return false;
        }
        d.values.push<qint64>(v);
        return true;
    }
    // Exact digits of a wide decimal, normalised to a leading "0" before ".".
    while (size > 0 && text[0] == ' ') {
        ++text;
        --size;
    }
    const bool neg = size > 0 && text[0] == '-';
    if (neg) {
        ++text;
        --size;
    }
    char *p = d.arena.grow(size + 2);
    qsizetype n = 0;
    if (neg)
        p[n++] = '-';
    if (size > 0 && text[0] == '.')
        p[n++] = '0';
    std::memcpy(p + n, text, size_t(size));
    n += size;
    d.arena.resize(d.arena.size() - (size + 2) + n);
    d.endCell(true);
    return true;
}

void TDBResultSet::AppendDays(int column, qint32 days)
{
    ColumnData &d = data(column);
    if (d.storage == TDBStorage::Date)
        d.values.push<qint32>(days);
    else
        AppendTicks(column, qint64(days) * dbtext::TicksPerDay);
}

void TDBResultSet::AppendTicks(int column, qint64 ticks)
{
    ColumnData &d = data(column);
    switch (d.storage) {
    case TDBStorage::Date: d.values.push<qint32>(qint32(ticks / dbtext::TicksPerDay)); break;
    case TDBStorage::DateTimeOffset: AppendDateTimeOffset(column, ticks, 0); break;
    default: d.values.push<qint64>(ticks); break;
    }
}

void TDBResultSet::AppendDateTimeOffset(int column, qint64 localTicks, int offsetMinutes)
{
    ColumnData &d = data(column);
    char *p = d.values.grow(16);
    const qint32 offset = offsetMinutes;
    std::memcpy(p, &localTicks, 8);
    std::memcpy(p + 8, &offset, 4);
    std::memset(p + 12, 0, 4);
}

void TDBResultSet::AppendGuid(int column, const uchar *bytes)
{
    std::memcpy(data(column).values.grow(16), bytes, 16);
}

void TDBResultSet::appendTextOther(int column, const char16_t *text, qsizetype size)
{
    ColumnData &d = data(column);
    if (d.storage == TDBStorage::Binary)
        AppendBytes(column, text, size * 2);
    else
        AppendValue(column, QString::fromUtf16(text, size));
}

void TDBResultSet::appendUtf8Other(int column, const char *text, qsizetype size)
{
    const QString s = QString::fromUtf8(text, size);
    AppendText(column, reinterpret_cast<const char16_t *>(s.utf16()), s.size());
}

void TDBResultSet::ColumnData::widenOffsets()
{
    std::vector<quint64> wide(size_t(values.size() / 4));
    for (size_t i = 0; i < wide.size(); ++i) {
        const quint32 v = values.at<quint32>(qsizetype(i));
        wide[i] = quint64(v & dbstore_p::OffsetMask32) | ((v & dbstore_p::NarrowFlag32) ? NarrowFlag : 0);
    }
    values.resize(0);
    std::memcpy(values.grow(qsizetype(wide.size()) * 8), wide.data(), wide.size() * 8);
    width = 8;
}

void TDBResultSet::ColumnData::appendWide(const char16_t *text, qsizetype size)
{
    if (arena.size() & 1)
        arena.grow(1); // UTF-16 cells start on an even offset
    std::memcpy(arena.grow(size * 2), text, size_t(size) * 2);
    endCell(false);
}

void TDBResultSet::AppendLatin1(int column, const char *text, qsizetype size)
{
    ColumnData &d = data(column);
    if (d.storage != TDBStorage::Text && d.storage != TDBStorage::BigDecimal) {
        AppendValue(column, QString::fromLatin1(text, size));
        return;
    }
    if (size > 0)
        std::memcpy(d.arena.grow(size), text, size_t(size));
    d.endCell(true);
}

void TDBResultSet::AppendBytes(int column, const void *bytes, qsizetype size)
{
    ColumnData &d = data(column);
    if (d.storage != TDBStorage::Binary) {
        AppendValue(column, QByteArray(static_cast<const char *>(bytes), size));
        return;
    }
    // An empty value may come with no buffer at all; memcpy must not see it.
    if (size > 0)
        std::memcpy(d.arena.grow(size), bytes, size_t(size));
    d.endCell(true);
}

void TDBResultSet::AppendValue(int column, const QVariant &value)
{
    if (value.isNull()) {
        AppendNull(column);
        return;
    }
    ColumnData &d = data(column);
    switch (d.storage) {
    case TDBStorage::Bool: {
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            d.values.push<quint8>(s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s.toLongLong() != 0);
        } else {
            d.values.push<quint8>(value.toBool());
        }
        break;
    }
    case TDBStorage::UInt8:
    case TDBStorage::Int16:
    case TDBStorage::Int32:
    case TDBStorage::Int64: AppendInt(column, value.toLongLong()); break;
    case TDBStorage::Float32:
    case TDBStorage::Float64: AppendDouble(column, value.toDouble()); break;
    case TDBStorage::Decimal:
    case TDBStorage::BigDecimal: {
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
            if (d.storage == TDBStorage::Decimal) {
                AppendDouble(column, value.toDouble());
                break;
            }
        } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
            if (d.storage == TDBStorage::Decimal) {
                AppendInt(column, value.toLongLong());
                break;
            }
        }
        const QByteArray s = value.toString().toLatin1();
        AppendDecimalText(column, s.constData(), s.size());
        break;
    }
    case TDBStorage::Date:
        AppendDays(column, dbtext::DaysFromDate(value.typeId() == QMetaType::QDateTime ? value.toDateTime().date()
                                                                                       : value.toDate()));
        break;
    case TDBStorage::Time:
        AppendTicks(column,
                    ticksOfTime(value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime()));
        break;
    case TDBStorage::DateTime: {
        const QDateTime dt =
            value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0)) : value.toDateTime();
        AppendTicks(column, ticksOfDateTime(dt));
        break;
    }
    case TDBStorage::DateTimeOffset: {
        const QDateTime dt = value.toDateTime();
        AppendDateTimeOffset(column, ticksOfDateTime(dt), dt.offsetFromUtc() / 60);
        break;
    }
    case TDBStorage::Guid: {
        uchar b[16];
        guidBytes(value.typeId() == QMetaType::QUuid ? value.toUuid() : QUuid(value.toString()), b);
        AppendGuid(column, b);
        break;
    }
    case TDBStorage::Text: {
        const QString s = value.toString();
        AppendText(column, reinterpret_cast<const char16_t *>(s.utf16()), s.size());
        break;
    }
    case TDBStorage::Binary: {
        const QByteArray b = value.toByteArray();
        AppendBytes(column, b.constData(), b.size());
        break;
    }
    }
}

// --- editing -----------------------------------------------------------------

void TDBResultSet::materializeOrder()
{
    if (m_hasOrder)
        return;
    m_order.resize(size_t(m_rows));
    for (qint64 i = 0; i < m_rows; ++i)
        m_order[size_t(i)] = quint32(i);
    m_hasOrder = true;
}

TRecordId TDBResultSet::InsertRecord(qint64 position)
{
    materializeOrder();
    position = qBound<qint64>(0, position, qint64(m_order.size()));
    for (int c = 0; c < ColumnCount(); ++c)
        AppendNull(c);
    const TRecordId id = m_rows++;
    m_order.insert(m_order.begin() + position, quint32(id));
    m_positionsValid = false;
    return id;
}

void TDBResultSet::DeleteRecord(qint64 position)
{
    if (position < 0 || position >= RecordCount())
        return;
    materializeOrder();
    m_order.erase(m_order.begin() + position);
    m_positionsValid = false;
}

TRecordId TDBResultSet::NewRecord()
{
    materializeOrder();
    for (int c = 0; c < ColumnCount(); ++c)
        AppendNull(c);
    return m_rows++;
}

void TDBResultSet::PlaceRecords(qint64 position, const std::vector<TRecordId> &ids)
{
    if (ids.empty())
        return;
    materializeOrder();
    position = qBound<qint64>(0, position, qint64(m_order.size()));
    std::vector<quint32> rows;
    rows.reserve(ids.size());
    for (TRecordId id : ids) {
        if (id >= 0 && id < m_rows)
            rows.push_back(quint32(id));
    }
    m_order.insert(m_order.begin() + position, rows.begin(), rows.end());
    m_positionsValid = false;
}

void TDBResultSet::DeleteRecords(std::vector<qint64> positions)
{
    const qint64 count = RecordCount();
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.erase(
        std::remove_if(positions.begin(), positions.end(), [count](qint64 p) { return p < 0 || p >= count; }),
        positions.end());
    if (positions.empty())
        return;
    materializeOrder();
    size_t out = size_t(positions.front());
    size_t next = 0;
    for (size_t in = out; in < m_order.size(); ++in) {
        if (next < positions.size() && qint64(in) == positions[next]) {
            ++next;
            continue;
        }
        m_order[out++] = m_order[in];
    }
    m_order.resize(out);
    m_positionsValid = false;
}

void TDBResultSet::SetValue(int column, TRecordId id, const QVariant &value)
{
    if (id < 0 || id >= m_rows)
        return;
    ColumnData &d = data(column);
    if (isVariable(d.storage)) {
        QVariant v;
        if (!value.isNull())
            v = d.storage == TDBStorage::Binary ? QVariant(value.toByteArray()) : QVariant(value.toString());
        d.edits.insert(id, v);
        d.setNull(id, value.isNull());
        return;
    }
    // Convert through a one-cell scratch store of the same column type.
    TDBResultSet scratch({m_defs.at(column)});
    scratch.AppendValue(0, value);
    const ColumnData &s = scratch.data(0);
    std::memcpy(d.fixed(id), s.fixed(0), size_t(d.width));
    d.setNull(id, s.bitNull(0));
}

void TDBResultSet::AppendCopy(int column, const TDBResultSet &from, TRecordId fromId)
{
    ColumnData &d = data(column);
    if (from.IsNull(column, fromId)) {
        AppendNull(column);
        return;
    }
    if (isVariable(d.storage)) {
        AppendValue(column, from.Value(column, fromId));
        return;
    }
    const ColumnData &s = from.data(column);
    std::memcpy(d.values.grow(d.width), s.fixed(fromId), size_t(d.width));
}

void TDBResultSet::CopyValue(int column, TRecordId id, const TDBResultSet &from, TRecordId fromId)
{
    if (id < 0 || id >= m_rows)
        return;
    ColumnData &d = data(column);
    const bool null = from.IsNull(column, fromId);
    if (isVariable(d.storage)) {
        SetValue(column, id, null ? QVariant() : from.Value(column, fromId));
        return;
    }
    if (!null)
        std::memcpy(d.fixed(id), from.data(column).fixed(fromId), size_t(d.width));
    d.setNull(id, null);
}

qint64 TDBResultSet::MemoryUsage() const
{
    qint64 total = qint64(sizeof(*this)) + qint64(m_order.capacity() + m_positions.capacity()) * 4;
    for (const auto &c : m_columns)
        total += qint64(sizeof(ColumnData)) + c->values.allocated() + c->arena.allocated() + c->nulls.allocated();
    return total;
}
