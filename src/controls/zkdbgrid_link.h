#pragma once

#include "platform/db/dbquery.h"
#include "platform/db/dbsource.h"
#include "platform/rtl/exceptions.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QPainter;
class QRect;

// The pieces both data grids share: the link to the data source with its
// window of records on screen and its map of columns to fields, the
// multi-selection of records, and a few helpers.

// The error of an operation a grid cannot do in its state.
class EInvalidGridOperation : public Exception
{
public:
    using Exception::Exception;
};

[[noreturn]] void RaiseInvalidGridOperation(const QString &message);

// "データセットは閉じているため, この操作は実行できません"
extern const QString SDataSetClosed;

// What a link and a selection ask of the grid that owns them.
class IzkDBGridLink
{
public:
    virtual ~IzkDBGridLink() = default;
    // The link became active or inactive.
    virtual void LinkActive(bool active) = 0;
    // The data set changed or scrolled: rows, scroll bar, current row.
    virtual void DataChanged() = 0;
    virtual void EditingChanged() = 0;
    // A field (or, null, the whole record) of the current record changed.
    virtual void RecordChanged(TField *field) = 0;
    // The fields' order or display properties changed.
    virtual void LayoutChanged() = 0;
    // The data set wants the grid's pending edit written to its field.
    virtual void UpdateData() = 0;
    // The selection changed: the whole grid, or the current record's line.
    virtual void InvalidateSelection() = 0;
    virtual void InvalidateCurrentRecord() = 0;
};

// A grid's link to its data source. It follows the data set's notifications
// and keeps the window of records the grid shows: BufferCount records from
// FirstPosition, always holding the current one (so scrolling a grid means
// moving the data set), and as full as the data set allows. It maps the
// grid's data columns to the data set's fields.
class TGridDataLink : public QObject
{
    Q_OBJECT
public:
    explicit TGridDataLink(IzkDBGridLink *grid);
    ~TGridDataLink() override;

    TDataSource *DataSource() const { return m_source; }
    void SetDataSource(TDataSource *source);
    TFDQuery *DataSet() const { return m_dataSet; }
    bool Active() const { return m_active; }
    bool ReadOnly() const;
    bool Editing() const;

    // The window of records on screen.
    int BufferCount() const { return m_bufferCount; }
    void SetBufferCount(int count);
    // Records in the window (fewer than BufferCount near a short end).
    int RecordCount() const;
    // Position of the window's first record in the data set.
    qint64 FirstPosition() const { return m_first; }
    // The current record's place in the window; -1 when there is none.
    int ActiveRecord() const;
    // The record at a place of the window; -1 outside it.
    TRecordId BufferRecord(int index) const;
    // Brings the window to the current record (the notifications do it).
    void SyncBuffer();

    // The field map: per data column the index of its field in the data
    // set's field list, or -1.
    bool AddMapping(const QString &fieldName);
    void ClearMapping();
    int FieldCount() const { return int(m_fieldMap.size()); }
    TField *Fields(int index) const;
    int FieldMapIndex(int index) const;
    bool SparseMap() const { return m_sparseMap; }
    void SetSparseMap(bool value) { m_sparseMap = value; }
    // The map covers the data set's own fields: not sparse, or every name
    // found.
    bool DefaultFields() const;

    // The grid's editor holds a change not yet written to its field.
    void Modified() { m_modified = true; }
    bool IsModified() const { return m_modified; }
    // Drops a pending change (the grid shows the field's value again).
    void Reset();
    // Writes a pending change through the grid (UpdateData).
    void UpdateRecord();

    // The most columns a grid maps.
    static constexpr int MaxMapSize = 268435455;

private:
    void relink();
    void activeChanged(bool active);
    void dataSetChanged();
    void dataSetScrolled();
    void layoutChanged();
    void recordChanged(int fieldIndex);
    void setActive(bool active);

    IzkDBGridLink *m_grid;
    QPointer<TDataSource> m_source;
    QPointer<TFDQuery> m_dataSet;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_sourceConnection;
    QMetaObject::Connection m_sourceGone;
    bool m_active = false;
    bool m_modified = false;
    bool m_sparseMap = false;
    std::vector<int> m_fieldMap;
    int m_bufferCount = 1;
    qint64 m_first = 0;
};

// A grid's selection of records, by record id: ids stay with their records
// while others are inserted or deleted, and the selection is walked in the
// data set's record order. Selecting every record is one step: the
// selection then stands for all records of the moment, less those taken out
// since, plus those put in since.
class TBookmarkList
{
public:
    TBookmarkList(IzkDBGridLink *grid, TGridDataLink *link);
    ~TBookmarkList();

    qint64 Count() const;
    bool IsEmpty() const { return Count() == 0; }
    // The selected record at an index of the record order.
    TRecordId Items(qint64 index) const;
    // Whether the data set's current record is selected; writing selects or
    // deselects it. Raises the closed-data-set error while the link is
    // inactive; nothing happens without a current record.
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool value);
    // Whether a record is selected (what the grid paints).
    bool Contains(TRecordId record) const;
    // Every record of the data set.
    void SelectAll();
    // Empties the selection; repaints the grid when it was not empty.
    void Clear();
    // Where the record stands in the record order of the selection, or would
    // stand; true when it is selected.
    bool Find(TRecordId item, qint64 &index) const;
    qint64 IndexOf(TRecordId item) const;
    // Deletes the selected records from the data set, the last first. A
    // refusal stops it: records deleted so far are gone, the rest stay
    // selected, and the error goes on to the caller.
    void Delete();
    // Drops records the data set no longer has; true when any was dropped.
    bool Refresh();
    // The selected records in record order (stale ids skipped).
    void ForEach(const std::function<void(TRecordId)> &visit) const;

    TRecordId CurrentBookmark() const;
    int CompareItems(TRecordId a, TRecordId b) const;
    void ResetForLink(bool active);

private:
    bool allContains(TRecordId record) const;
    void insert(TRecordId record);
    void remove(TRecordId record);
    void changed();
    void normalize();
    const std::vector<TRecordId> &ordered() const;
    TDBResultSet *store() const;

    IzkDBGridLink *m_grid;
    TGridDataLink *m_link;
    bool m_linkActive = false;
    // Explicit selections, sorted by id (in all-mode only ids at or above
    // m_allLimit).
    std::vector<TRecordId> m_ids;
    // All-mode: the records below m_allLimit (m_allCount of them when it
    // began, less deletions through Delete), less m_excluded (sorted ids).
    bool m_all = false;
    TRecordId m_allLimit = 0;
    qint64 m_allCount = 0;
    std::vector<TRecordId> m_excluded;
    mutable std::vector<TRecordId> m_ordered;
    mutable bool m_orderedValid = false;
};

// The text of a string's UTF-16 little-endian bytes, two upper-case hex
// digits a byte; with maxBytes 0 or more the bytes are first cut or padded
// with zeros to exactly that many (-1: no limit).
QString UnicodeBytesToHex(const QString &text, int maxBytes);

// Writes a cell's text: fills rect with the painter's brush and draws the
// text in the painter's font and pen, clipped to rect, at rect.top() + dy:
// from rect.left() + dx (left), ending 3 pixels inside the right edge
// (right), or centred. A right-to-left cell mirrors the alignment unless the
// text itself reads right to left.
void DrawCellText(QPainter *painter, const QRect &rect, int dx, int dy, const QString &text, TAlignment alignment,
                  bool rightToLeft = false);

// The copy text of a grid's selection: the selected records' fields from
// field place start to end (every field when whole) as tab-separated lines;
// without selected records the current field's value as it is. False when
// nothing would be copied.
bool DBGridRangeText(TGridDataLink *link, TBookmarkList *bookmarks, TField *current, int start, int end, bool whole,
                     QString *text);
