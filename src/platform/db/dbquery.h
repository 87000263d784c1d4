#pragma once

#include "platform/db/dbbackend.h"
#include "platform/db/dbparams.h"
#include "platform/db/dbstore.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class TFDConnection;
class TFDQuery;

// What a data set is doing with its current record. Results are browsed;
// the editing states belong to record editing.
enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// A field of an open query: its description, display properties and the
// value at the query's active record (or at any record, for grids). Fields
// live from the query's open to its close; activeChanged(false) comes first.
// A change of a display property (label, width, alignment, visibility,
// read-only) is a layout change of the query: its grids lay out again.
class TField
{
public:
    TField(TFDQuery *query, int column);

    TFDQuery *DataSet() const { return m_query; }
    // Position among the query's fields; writing it moves the field there
    // (the result's columns stay where they are: FieldNo does not change).
    int Index() const { return m_index; }
    void SetIndex(int index);
    int FieldNo() const { return m_column + 1; }
    const TDBColumnDef &Def() const;
    QString FieldName() const { return Def().name; }
    QString FullName() const { return Def().name; }
    TFieldType DataType() const;
    int Size() const { return Def().size; }
    int Precision() const { return Def().precision; }
    int Scale() const { return Def().scale; }

    QString DisplayLabel() const { return m_displayLabel.isNull() ? FieldName() : m_displayLabel; }
    void SetDisplayLabel(const QString &label);
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return m_displayWidth; }
    void SetDisplayWidth(int width);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    // Not read-only, in a query that is not read-only.
    bool CanModify() const;

    // At the query's active record (ActiveRecord: normally the current one);
    // NULL reads as "", 0, false, an invalid date.
    bool IsNull() const;
    QString AsString() const;
    QString AsWideString() const { return AsString(); }
    QString Text() const { return AsString(); }
    QString DisplayText() const { return AsString(); }
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;
    QByteArray AsBytes() const;
    QVariant Value() const;

    // Writing, while the query edits or inserts a record (Edit, Insert):
    // the value goes to the record at once, the old one is kept for Cancel
    // and for finding the row on the server. SetText converts the edit text
    // of the field's type and raises EDBError naming the value and the field
    // when it does not convert; an empty text is NULL for every type but
    // the texts.
    void SetText(const QString &text);
    void SetAsString(const QString &text) { SetText(text); }
    void SetValue(const QVariant &value);
    void Clear();
    // Whether the field takes a character the user types (digits for
    // numbers, and so on).
    bool IsValidChar(QChar ch) const;

    // At any record of the open result.
    bool IsNullAt(TRecordId record) const;
    QString TextAt(TRecordId record) const;
    QVariant ValueAt(TRecordId record) const;

private:
    TRecordId current() const;
    const TDBResultSet *store() const;

    friend class TFDQuery;
    TFDQuery *m_query;
    int m_column; // of the result
    int m_index;  // among the query's fields
    QString m_displayLabel;
    int m_displayWidth;
    TAlignment m_alignment;
    bool m_readOnly = false;
    bool m_visible = true;
};

// A statement and its result, read whole at Open.
//
//   TFDQuery q;
//   q.SetConnection(&con);
//   q.SetSQL("select name from sys.schemas where name like :PAT");
//   q.ParamByName("PAT").SetAsWideString("d%");
//   q.Open();                                   // raises EDBError
//   for (q.First(); !q.Eof(); q.Next())
//       names << q.FieldByName("name")->AsString();
//   q.Close();
//   q.ExecSQL("update t set x = 1");  q.RowsAffected();
//
// ":NAME" markers become parameters while ParamCreate is on (the default);
// a name used twice is one parameter bound at both places. With it off the
// text goes to the server exactly as written. Open gives the first result
// with columns of the batch (row counts and "use"/"set" lines before it are
// passed over) and reads the rest of the batch to its end, so a later error
// of the batch is raised; later results stay for NextRecordSet(). ExecSQL
// reads the whole batch and counts rows affected.
//
// Navigation follows the data-set model: RecNo is 1-based (0 when empty),
// Eof/Bof are set by moving past an end. Records have ids (bookmarks) that
// survive inserts and deletes in the store.
//
// Signals for data links (grids): activeChanged, dataSetChanged,
// dataSetScrolled, layoutChanged, recordChanged; held while controls are
// disabled, with one dataSetChanged (after a layoutChanged, when one was
// held) when they are enabled again. The query lets go of its fields with
// activeChanged(false) also when it is destroyed open.
class TFDQuery : public QObject
{
    Q_OBJECT
    friend class TField;

public:
    explicit TFDQuery(QObject *parent = nullptr);
    ~TFDQuery() override;

    TFDConnection *Connection() const;
    // Closes the query when the connection changes.
    void SetConnection(TFDConnection *connection);

    QString SQL() const { return m_sql; }
    void SetSQL(const QString &text);
    void ClearSQL() { SetSQL(QString()); }
    bool ParamCreate() const { return m_paramCreate; }
    void SetParamCreate(bool on) { m_paramCreate = on; }

    TFDParams &Params() { return m_params; }
    TFDParam &ParamByName(const QString &name) { return m_params.ParamByName(name); }
    TFDParam *FindParam(const QString &name) { return m_params.FindParam(name); }

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // No wait cursor while the statement runs.
    bool Silent() const { return m_silent; }
    void SetSilent(bool silent) { m_silent = silent; }
    // money and smallmoney read as ftBCD instead of ftCurrency.
    bool MapCurrencyToBCD() const { return m_currencyAsBCD; }
    void SetMapCurrencyToBCD(bool on) { m_currencyAsBCD = on; }

    // Statements are not prepared on the server; kept for the callers' shape.
    void Prepare() {}
    void Unprepare() {}

    void Open();
    void Open(const QString &sql);
    void Close();
    bool Active() const { return m_active; }
    void SetActive(bool active);
    void ExecSQL();
    qint64 ExecSQL(const QString &sql);
    qint64 RowsAffected() const { return m_rowsAffected; }
    // Moves to the next result of the batch; false (and closed) when none.
    bool NextRecordSet();
    // Messages of the last run.
    const QList<TDBMessage> &Messages() const { return m_messages; }

    int FieldCount() const { return int(m_fields.size()); }
    TField *Fields(int index) const;
    TField *FieldByName(const QString &name) const;
    TField *FindField(const QString &name) const;

    qint64 RecordCount() const;
    qint64 RecNo() const;
    void SetRecNo(qint64 recNo);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const { return RecordCount() == 0; }
    void First();
    void Last();
    void Next();
    void Prior();
    qint64 MoveBy(qint64 distance);

    TDataSetState State() const { return m_active ? m_state : dsInactive; }
    // Records can be changed: open, not read-only, and something writes
    // changes (SetPostHandler) or deletions (SetDeleteHandler).
    bool CanModify() const;
    // Records can be edited and inserted: open, not read-only, and a post
    // handler writes them.
    bool CanEdit() const { return m_active && !m_readOnly && bool(m_postHandler); }

    // --- Record editing ---------------------------------------------------
    // What a post hands to its handler: the record, whether it is new, the
    // result columns written since Edit/Insert, and their values before.
    struct TPostRequest
    {
        TRecordId record = -1;
        bool inserting = false;
        QList<int> changedColumns;            // result columns, in writing order
        const TDBResultSet *before = nullptr; // record 0: every value before (edits)
    };
    // Writes a posted record (to the server) and brings the record's values
    // up to what the server keeps; an exception keeps the record in its
    // editing state.
    using TPostHandler = std::function<void(TFDQuery *query, const TPostRequest &request)>;
    void SetPostHandler(TPostHandler handler) { m_postHandler = std::move(handler); }
    // The current record becomes editable (nothing when already editing).
    void Edit();
    // A new record of NULLs before the current one (Insert) or at the end
    // (Append), in insert state. A record being edited is posted first.
    void Insert();
    void Append();
    // Writes the record being edited or inserted through the post handler;
    // an edit with no change just ends.
    void Post();
    // Drops the changes: an inserted record leaves the result, an edited
    // one takes its old values again.
    void Cancel();
    // A field was written since Edit/Insert.
    bool Modified() const { return m_modified; }
    // Posts a changed record and drops an untouched inserted one; every
    // move of the current record does this first.
    void CheckBrowseMode();
    // Many inserts in a row (a paste): new records are put into the record
    // order once, at EndBulkInsert, at the position current at the start,
    // instead of one by one. Controls should be disabled meanwhile.
    void BeginBulkInsert();
    void EndBulkInsert();
    // Deletes records (through the delete handler, in the order given) and
    // takes them out of the result in one step; notify is told of each one
    // the handler deleted. A refusal stops it: the records deleted so far
    // leave the result, and the error goes on.
    void DeleteRecords(const std::vector<TRecordId> &records, const std::function<void(TRecordId)> &notify = {});
    // Writes the deletion of a record (to the server) before it leaves the
    // result; an exception keeps the record. Set by whoever posts changes.
    using TDeleteHandler = std::function<void(TFDQuery *query, TRecordId record)>;
    void SetDeleteHandler(TDeleteHandler handler) { m_deleteHandler = std::move(handler); }
    // Deletes the current record; the next one (or the new last one)
    // becomes current. Raises when the query cannot be modified or has no
    // record, and whatever the handler raises.
    void Delete();

    // The current record's id; -1 when there is none.
    TRecordId CurrentRecord() const;
    // The record the fields read: the current one, unless a grid switched
    // it while it paints another record (nothing moves, nothing is told).
    TRecordId ActiveRecord() const { return m_activeRecord >= 0 ? m_activeRecord : CurrentRecord(); }
    void SetActiveRecord(TRecordId record) { m_activeRecord = record; }
    TRecordId Bookmark() const { return CurrentRecord(); }
    void GotoBookmark(TRecordId bookmark);
    bool BookmarkValid(TRecordId bookmark) const;
    int CompareBookmarks(TRecordId a, TRecordId b) const;

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }
    // For code that changed the store: tells the links.
    void NotifyDataChanged();
    void NotifyRecordChanged(int fieldIndex);
    // For a change of the fields' order or display properties.
    void NotifyLayoutChanged();

    // The open result's store, for grids that read it directly.
    TDBResultSet *Result() const;
    // Counts the results this query opened: a view that remembers it can
    // tell a late answer about an earlier result from one about this one.
    quint64 Generation() const { return m_generation; }

signals:
    void beforeOpen();
    void afterOpen();
    void beforeClose();
    void afterClose();
    void activeChanged(bool active);
    void dataSetChanged();
    void dataSetScrolled(qint64 distance);
    void layoutChanged();
    void recordChanged(int fieldIndex);
    // Record editing: the state changed (browse, edit, insert).
    void stateChanged();
    // Before a record is posted: views write the edits they hold.
    void updateRecord();
    void afterPost();
    void afterDelete();

private:
    TDBBatch run(bool keepResults);
    void activate();
    void deactivate();
    void moveTo(qint64 position, bool eof, bool bof);
    void setState(TDataSetState state);
    void writeField(int column, const QVariant &value);
    void insertAt(qint64 position);
    void endBulkRecords();

    QPointer<TFDConnection> m_connection;
    QString m_sql;
    bool m_paramCreate = true;
    TFDParams m_params;
    bool m_readOnly = false;
    bool m_silent = false;
    bool m_currencyAsBCD = false;

    bool m_active = false;
    std::vector<std::shared_ptr<TDBResultSet>> m_results;
    size_t m_resultIndex = 0;
    std::vector<std::unique_ptr<TField>> m_fields;
    qint64 m_position = -1;
    bool m_eof = true;
    bool m_bof = true;
    qint64 m_rowsAffected = -1;
    QList<TDBMessage> m_messages;
    int m_disableCount = 0;
    quint64 m_generation = 0;
    bool m_changedWhileDisabled = false;
    bool m_layoutChangedWhileDisabled = false;
    TRecordId m_activeRecord = -1;
    TDeleteHandler m_deleteHandler;
    TPostHandler m_postHandler;
    TDataSetState m_state = dsBrowse;
    TRecordId m_editRecord = -1;
    bool m_modified = false;
    QList<int> m_changedColumns;
    std::unique_ptr<TDBResultSet> m_before;
    bool m_bulk = false;
    qint64 m_bulkPosition = 0;
    std::vector<TRecordId> m_bulkRecords;
};
