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

// A growable array of bytes on malloc/realloc: large blocks grow by
// remapping, never by copying, and capacity not yet written stays out of
// resident memory.
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

    // n more bytes at the end, uninitialised; returns where they start.
    char *grow(qsizetype n)
    {
        if (m_size + n > m_capacity)
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

    char *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};

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
    void AppendText(int column, const char16_t *text, qsizetype size);
    void AppendText(int column, const QString &text) { AppendText(column, reinterpret_cast<const char16_t *>(text.utf16()), text.size()); }
    void AppendLatin1(int column, const char *text, qsizetype size);
    void AppendBytes(int column, const void *data, qsizetype size);
    // Any value, converted to the column's storage (slow path).
    void AppendValue(int column, const QVariant &value);
    void EndRow() { ++m_rows; }

    // Editing in memory: a new record of NULLs at a position, removal, and
    // a new value of a cell.
    TRecordId InsertRecord(qint64 position);
    void DeleteRecord(qint64 position);
    void SetValue(int column, TRecordId id, const QVariant &value);

    // Bytes held by the store.
    qint64 MemoryUsage() const;

private:
    struct ColumnData;

    void materializeOrder();
    const ColumnData &data(int column) const { return *m_columns[size_t(column)]; }
    ColumnData &data(int column) { return *m_columns[size_t(column)]; }

    QList<TDBColumnDef> m_defs;
    std::vector<std::unique_ptr<ColumnData>> m_columns;
    qint64 m_rows = 0;                 // physical rows, deleted ones included
    bool m_hasOrder = false;           // records were inserted or deleted
    std::vector<quint32> m_order;      // positions to rows, once m_hasOrder
    mutable std::vector<quint32> m_positions; // rows to positions, built on demand
    mutable bool m_positionsValid = false;
};
