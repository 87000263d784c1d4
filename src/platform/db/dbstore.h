#pragma once

#include "platform/db/dbtypes.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

// A record's identity in a result: it stays with the record while records
// are inserted or deleted around it (the grids keep selections by it).
using TRecordId = qint64;

// A growable array of bytes. Small ones live on the heap; large ones in
// their own mapping that grows by remapping, never by copying, and whose
// capacity not yet written stays out of resident memory.
class TDBBuffer
{
public:
    TDBBuffer() = default;
    ~TDBBuffer();
    TDBBuffer(const TDBBuffer &) = delete;
    TDBBuffer &operator=(const TDBBuffer &) = delete;

    char *data() { return m_data; }
    const char *data() const { return m_data; }
    qsizetype size() const { return m_size; }
    qsizetype capacity() const { return m_capacity; }
    // Bytes backed by memory (capacity of a large buffer is only reserved).
    qsizetype allocated() const { return m_mapped ? m_populated : m_capacity; }

    // n more bytes at the end, uninitialised; returns where they start.
    char *grow(qsizetype n)
    {
        if (m_size + n > m_populated)
            reserveFor(m_size + n);
        char *p = m_data + m_size;
        m_size += n;
        return p;
    }
    template<typename T>
    void push(T value)
    {
        *reinterpret_cast<T *>(grow(sizeof(T))) = value;
    }
    template<typename T>
    T at(qsizetype index) const
    {
        return reinterpret_cast<const T *>(m_data)[index];
    }
    template<typename T>
    T *ptr(qsizetype index)
    {
        return reinterpret_cast<T *>(m_data) + index;
    }
    void resize(qsizetype n, char fill = 0);

private:
    void reserveFor(qsizetype n);
    void release();

    char *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
    qsizetype m_populated = 0; // bytes backed by memory; all of a heap block
    bool m_mapped = false;
};

namespace dbstore_p {
// A text or binary cell ends at an offset of its column's arena, kept in 32
// bits (the top one marking one-byte text) until the arena outgrows them,
// then in 64.
constexpr quint64 NarrowFlag = quint64(1) << 63;
constexpr quint64 OffsetMask = NarrowFlag - 1;
constexpr quint32 NarrowFlag32 = quint32(1) << 31;
constexpr quint32 OffsetMask32 = NarrowFlag32 - 1;
// Arena size from which offsets take 64 bits; lowered only by tests.
inline quint64 offsetLimit32 = NarrowFlag32;
inline bool isVariable(TDBStorage s)
{
    return s == TDBStorage::Text || s == TDBStorage::Binary || s == TDBStorage::BigDecimal;
}
} // namespace dbstore_p

// One result of a statement, held whole in memory as a column store: per
// column its values in one array of fixed width (texts and binaries in one
// arena with an offset per cell), and a bit per cell for NULL. Texts whose
// characters all fit in one byte are kept one byte per character.
//
// Records are read by TRecordId. Until the first insert or delete, the id of
// a record is its position (0-based); after that RecordId()/PositionOf()
// translate.
class TDBResultSet
{
public:
    explicit TDBResultSet(const QList<TDBColumnDef> &columns);
    ~TDBResultSet();
    TDBResultSet(const TDBResultSet &) = delete;
    TDBResultSet &operator=(const TDBResultSet &) = delete;

    int ColumnCount() const { return int(m_defs.size()); }
    const TDBColumnDef &Column(int column) const { return m_defs.at(column); }
    const QList<TDBColumnDef> &Columns() const { return m_defs; }
    // The first column of that name, ignoring case; -1 when none.
    int IndexOf(const QString &name) const;

    qint64 RecordCount() const;
    TRecordId RecordId(qint64 position) const;
    // -1 for a deleted or unknown record.
    qint64 PositionOf(TRecordId id) const;
    // Every id given so far, deleted records' included, is below it; a new
    // record gets an id at or above it.
    TRecordId RecordIdLimit() const { return m_rows; }
    bool IsValidRecord(TRecordId id) const { return PositionOf(id) >= 0; }

    bool IsNull(int column, TRecordId id) const;
    // The text form (dbtext.h); empty for NULL.
    QString Text(int column, TRecordId id) const;
    // bool, int, qlonglong, double, QString (exact decimal digits), QDate,
    // QTime, QDateTime (UTC spec for zone-less values, an offset for
    // datetimeoffset), QUuid, QString, QByteArray; a null QVariant for NULL.
    QVariant Value(int column, TRecordId id) const;
    qint64 AsInt64(int column, TRecordId id) const;
    double AsDouble(int column, TRecordId id) const;
    bool AsBool(int column, TRecordId id) const;
    QByteArray AsBytes(int column, TRecordId id) const;
    // Raw reads for the exports and the grid's painting.
    qint64 ScaledDecimal(int column, TRecordId id) const; // Decimal storage
    qint64 Ticks(int column, TRecordId id) const;         // Time, DateTime, DateTimeOffset (local)
    qint32 Days(int column, TRecordId id) const;          // Date
    int OffsetMinutes(int column, TRecordId id) const;    // DateTimeOffset

    // Filling, by the backends: one value per column of a row in any order
    // of columns, then EndRow().
    void AppendNull(int column);
    void AppendBool(int column, bool value);
    void AppendInt(int column, qint64 value);
    void AppendDouble(int column, double value);
    void AppendScaled(int column, qint64 scaled);
    // Decimal text for Decimal and BigDecimal columns; false when it is no
    // number of the column's scale (the cell then holds NULL).
    bool AppendDecimalText(int column, const char *text, qsizetype size);
    void AppendDays(int column, qint32 days);
    void AppendTicks(int column, qint64 ticks);
    void AppendDateTimeOffset(int column, qint64 localTicks, int offsetMinutes);
    void AppendGuid(int column, const uchar *bytes);
    void AppendText(int column, const char16_t *text, qsizetype size)
    {
        ColumnData &d = data(column);
        if (d.storage != TDBStorage::Text) {
            appendTextOther(column, text, size);
            return;
        }
        char *p = d.arena.grow(size);
        for (qsizetype i = 0; i < size; ++i) {
            if (text[i] > 0xFF) {
                // Not one byte per character: the cell keeps UTF-16.
                d.arena.resize(d.arena.size() - size);
                d.appendWide(text, size);
                return;
            }
            p[i] = char(text[i]);
        }
        d.endCell(true);
    }
    void AppendText(int column, const QString &text)
    {
        AppendText(column, reinterpret_cast<const char16_t *>(text.utf16()), text.size());
    }
    void AppendLatin1(int column, const char *text, qsizetype size);
    void AppendUtf8(int column, const char *text, qsizetype size)
    {
        ColumnData &d = data(column);
        if (d.storage == TDBStorage::Text) {
            char *p = d.arena.grow(size);
            qsizetype i = 0;
            for (; i < size && uchar(text[i]) < 0x80; ++i)
                p[i] = text[i];
            d.arena.resize(d.arena.size() - size + i);
            if (i == size) {
                d.endCell(true);
                return;
            }
            d.arena.resize(d.arena.size() - i);
        }
        appendUtf8Other(column, text, size);
    }
    void AppendBytes(int column, const void *data, qsizetype size);
    // Any value, converted to the column's storage (slow path).
    void AppendValue(int column, const QVariant &value);
    void EndRow() { ++m_rows; }

    // Filling a batch of rows column by column (the ODBC backend's fast
    // path): room for the next n fixed-width values of a column, written by
    // the caller; the NULL mark of a row already filled; EndRows when every
    // column has the batch.
    char *ReserveFixed(int column, qsizetype rows)
    {
        ColumnData &d = data(column);
        return d.values.grow(rows * d.width);
    }
    void SetNull(int column, qint64 row) { data(column).setNull(row, true); }
    qint64 FilledRows(int column) const { return data(column).count(); }
    void EndRows(qint64 rows) { m_rows += rows; }

    // Editing in memory: a new record of NULLs at a position, removal, and
    // a new value of a cell.
    TRecordId InsertRecord(qint64 position);
    void DeleteRecord(qint64 position);
    // Batch forms for many records at once (a paste, a multi-record
    // delete): each costs one pass over the record order, not one per
    // record. NewRecord gives a record of NULLs that no position holds yet;
    // PlaceRecords puts such records, in their order, at a position.
    TRecordId NewRecord();
    void PlaceRecords(qint64 position, const std::vector<TRecordId> &ids);
    // Removes the records at these positions (any order, duplicates ignored).
    void DeleteRecords(std::vector<qint64> positions);
    void SetValue(int column, TRecordId id, const QVariant &value);
    // Exact copies of a cell between stores of the same columns (no value
    // goes through a text or a QDateTime, so no digit is lost).
    void AppendCopy(int column, const TDBResultSet &from, TRecordId fromId);
    void CopyValue(int column, TRecordId id, const TDBResultSet &from, TRecordId fromId);

    // Bytes held by the store.
    qint64 MemoryUsage() const;

private:
    struct ColumnData
    {
        TDBStorage storage;
        int scale;
        int width;
        TDBBuffer values; // fixed-width values, or cell end offsets of the arena
        TDBBuffer arena;
        TDBBuffer nulls;               // 64-bit words, empty until the first NULL
        QHash<qint64, QVariant> edits; // changed cells of variable width

        qint64 count() const
        {
            return dbstore_p::isVariable(storage) ? values.size() / width - 1 : values.size() / width;
        }
        void setNull(qint64 row, bool null)
        {
            const qsizetype word = qsizetype(row / 64);
            if (nulls.size() / 8 <= word) {
                if (!null)
                    return;
                nulls.resize((word + 1) * 8);
            }
            quint64 &w = *nulls.ptr<quint64>(word);
            const quint64 bit = quint64(1) << (row % 64);
            w = null ? (w | bit) : (w & ~bit);
        }
        bool bitNull(qint64 row) const
        {
            const qsizetype word = qsizetype(row / 64);
            return nulls.size() / 8 > word && (nulls.at<quint64>(word) >> (row % 64)) & 1;
        }
        const char *fixed(qint64 row) const { return values.data() + row * width; }
        char *fixed(qint64 row) { return values.data() + row * width; }
        // A cell of the arena: start, length in bytes, one byte per character?
        void cell(qint64 row, const char **p, qsizetype *bytes, bool *narrow) const
        {
            quint64 start, end;
            if (width == 4) {
                start = values.at<quint32>(row) & dbstore_p::OffsetMask32;
                const quint32 e = values.at<quint32>(row + 1);
                *narrow = e & dbstore_p::NarrowFlag32;
                end = e & dbstore_p::OffsetMask32;
            } else {
                start = values.at<quint64>(row) & dbstore_p::OffsetMask;
                const quint64 e = values.at<quint64>(row + 1);
                *narrow = e & dbstore_p::NarrowFlag;
                end = e & dbstore_p::OffsetMask;
            }
            if (!*narrow && (start & 1))
                ++start; // UTF-16 cells start on an even offset
            *p = arena.data() + start;
            *bytes = qsizetype(end - start);
        }
        void endCell(bool narrow)
        {
            const quint64 end = quint64(arena.size());
            if (width == 4 && end >= dbstore_p::offsetLimit32)
                widenOffsets();
            if (width == 4)
                values.push<quint32>(quint32(end) | (narrow ? dbstore_p::NarrowFlag32 : 0));
            else
                values.push<quint64>(end | (narrow ? dbstore_p::NarrowFlag : 0));
        }
        void widenOffsets();
        void appendWide(const char16_t *text, qsizetype size);
    };

    void appendTextOther(int column, const char16_t *text, qsizetype size);
    void appendUtf8Other(int column, const char *text, qsizetype size);
    void materializeOrder();
    const ColumnData &data(int column) const { return *m_columns[size_t(column)]; }
    ColumnData &data(int column) { return *m_columns[size_t(column)]; }

    QList<TDBColumnDef> m_defs;
    std::vector<std::unique_ptr<ColumnData>> m_columns;
    qint64 m_rows = 0;                        // physical rows, deleted ones included
    bool m_hasOrder = false;                  // records were inserted or deleted
    std::vector<quint32> m_order;             // positions to rows, once m_hasOrder
    mutable std::vector<quint32> m_positions; // rows to positions, built on demand
    mutable bool m_positionsValid = false;
};
