#include "platform/db/dbquery.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbedit.h"
#include "platform/db/dbsql.h"

#include <algorithm>

// --- TField ------------------------------------------------------------------

TField::TField(TFDQuery *query, int column)
    : m_query(query)
    , m_column(column)
    , m_index(column)
{
    const TDBColumnDef &def = Def();
    m_displayWidth = DefaultDisplayWidth(def);
    m_alignment = DefaultAlignment(def.fieldType);
    m_readOnly = def.readOnly;
}

const TDBResultSet *TField::store() const
{
    return m_query->Result();
}

const TDBColumnDef &TField::Def() const
{
    return store()->Column(m_column);
}

void TField::SetIndex(int index)
{
    auto &fields = m_query->m_fields;
    index = qBound(0, index, int(fields.size()) - 1);
    if (index == m_index)
        return;
    auto moved = std::move(fields[size_t(m_index)]);
    fields.erase(fields.begin() + m_index);
    fields.insert(fields.begin() + index, std::move(moved));
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->m_index = int(i);
    m_query->NotifyLayoutChanged();
}

void TField::SetDisplayLabel(const QString &label)
{
    if (label == m_displayLabel && label.isNull() == m_displayLabel.isNull())
        return;
    m_displayLabel = label;
    m_query->NotifyLayoutChanged();
}

void TField::SetDisplayWidth(int width)
{
    if (width == m_displayWidth)
        return;
    m_displayWidth = width;
    m_query->NotifyLayoutChanged();
}

void TField::SetAlignment(TAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    m_query->NotifyLayoutChanged();
}

void TField::SetReadOnly(bool readOnly)
{
    if (readOnly == m_readOnly)
        return;
    m_readOnly = readOnly;
    m_query->NotifyLayoutChanged();
}

void TField::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_query->NotifyLayoutChanged();
}

TFieldType TField::DataType() const
{
    const TFieldType t = Def().fieldType;
    return t == ftCurrency && m_query->MapCurrencyToBCD() ? ftBCD : t;
}

bool TField::CanModify() const
{
    return !m_readOnly && !m_query->ReadOnly();
}

TRecordId TField::current() const
{
    return m_query->ActiveRecord();
}

bool TField::IsNull() const
{
    return IsNullAt(current());
}

QString TField::AsString() const
{
    return TextAt(current());
}

int TField::AsInteger() const
{
    return int(AsLargeInt());
}

qint64 TField::AsLargeInt() const
{
    const TRecordId r = current();
    return r < 0 ? 0 : store()->AsInt64(m_column, r);
}

double TField::AsFloat() const
{
    const TRecordId r = current();
    return r < 0 ? 0 : store()->AsDouble(m_column, r);
}

bool TField::AsBoolean() const
{
    const TRecordId r = current();
    return r >= 0 && store()->AsBool(m_column, r);
}

QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}

QByteArray TField::AsBytes() const
{
    const TRecordId r = current();
    return r < 0 ? QByteArray() : store()->AsBytes(m_column, r);
}

QVariant TField::Value() const
{
    return ValueAt(current());
}

void TField::SetText(const QString &text)
{
    QVariant value;
    if (!TextToFieldValue(Def(), text, &value))
        throw EDBError(TDBErrorKind::Usage,
                       QStringLiteral("'%1' はフィールド '%2' の有効な値ではありません。").arg(text, FieldName()));
    m_query->writeField(m_column, value);
}

void TField::SetValue(const QVariant &value)
{
    if (value.isNull() || value.typeId() != QMetaType::QString) {
        m_query->writeField(m_column, value);
        return;
    }
    SetText(value.toString());
}

void TField::Clear()
{
    m_query->writeField(m_column, QVariant());
}

bool TField::IsValidChar(QChar ch) const
{
    return FieldAcceptsChar(Def(), ch);
}

bool TField::IsNullAt(TRecordId record) const
{
    return record < 0 || store()->IsNull(m_column, record);
}

QString TField::TextAt(TRecordId record) const
{
    return record < 0 ? QString() : store()->Text(m_column, record);
}

QVariant TField::ValueAt(TRecordId record) const
{
    return record < 0 ? QVariant() : store()->Value(m_column, record);
}

// --- TFDQuery ----------------------------------------------------------------

namespace {

EDBError usageError(const QString &text)
{
    return EDBError(TDBErrorKind::Usage, text);
}

} // namespace

TFDQuery::TFDQuery(QObject *parent)
    : QObject(parent)
{
}

TFDQuery::~TFDQuery()
{
    // Links hold the fields: they let go before the fields go.
    if (m_active)
        deactivate();
}

TFDConnection *TFDQuery::Connection() const
{
    return m_connection;
}

void TFDQuery::SetConnection(TFDConnection *connection)
{
    if (connection == m_connection)
        return;
    Close();
    m_connection = connection;
}

void TFDQuery::SetSQL(const QString &text)
{
    Close();
    m_sql = text;
    if (m_paramCreate)
        m_params.Rebuild(ParamNames(text));
}

TDBBatch TFDQuery::run(bool keepResults)
{
    if (!m_connection)
        throw usageError(QStringLiteral("クエリにデータベース接続が設定されていません。"));
    m_messages.clear();
    QString sql = m_sql;
    QList<TDBParamValue> values;
    QStringList outputNames; // the parameter of each marker
    if (m_paramCreate) {
        TDBMarkers markers = ReplaceParamMarkers(sql);
        if (!markers.names.isEmpty()) {
            QString useBatch, rest;
            if (SplitLeadingUse(sql, &useBatch, &rest)) {
                m_connection->Execute({useBatch, {}, false}, m_silent, this);
                m_messages = m_connection->Messages();
                markers = ReplaceParamMarkers(rest);
            }
            for (const QString &name : std::as_const(markers.names)) {
                const TFDParam *p = m_params.FindParam(name);
                if (!p)
                    throw usageError(QStringLiteral("パラメータ '%1' が見つかりません。").arg(name));
                values.append({p->Value(), p->DataType() == ftUnknown ? ftWideString : p->DataType(),
                               p->ParamType() == ptUnknown ? ptInput : p->ParamType()});
            }
            sql = markers.text;
            outputNames = markers.names;
        }
    }
    QList<QVariant> outputs;
    const bool anyOutput =
        std::any_of(values.cbegin(), values.cend(), [](const TDBParamValue &v) { return v.IsOutput(); });
    // The values come back also when the batch raised (a failed call).
    auto readBack = [&] {
        for (qsizetype i = 0; i < outputs.size() && i < values.size(); ++i) {
            if (values.at(i).IsOutput()) {
                if (TFDParam *p = m_params.FindParam(outputNames.at(i)))
                    p->SetValue(outputs.at(i));
            }
        }
    };
    TDBBatch batch;
    try {
        batch = m_connection->Execute({sql, values, keepResults, anyOutput ? &outputs : nullptr}, m_silent, this);
    } catch (...) {
        readBack();
        throw;
    }
    readBack();
    m_messages += batch.infoMessages();
    return batch;
}

void TFDQuery::Open()
{
    if (m_active)
        Close();
    emit beforeOpen();
    TDBBatch batch = run(true);
    m_rowsAffected = batch.rowsAffected;
    if (batch.results.empty()) {
        EDBError e(TDBErrorKind::NoResult, QStringLiteral("SQL は結果セットを返しませんでした。"));
        e.SetMessages(m_messages);
        throw e;
    }
    m_results = std::move(batch.results);
    m_resultIndex = 0;
    activate();
    emit afterOpen();
}

void TFDQuery::Open(const QString &sql)
{
    SetSQL(sql);
    Open();
}

void TFDQuery::Close()
{
    if (!m_active)
        return;
    emit beforeClose();
    deactivate();
    m_results.clear();
    emit afterClose();
}

void TFDQuery::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TFDQuery::ExecSQL()
{
    Close();
    m_rowsAffected = run(false).rowsAffected;
}

qint64 TFDQuery::ExecSQL(const QString &sql)
{
    SetSQL(sql);
    ExecSQL();
    return m_rowsAffected;
}

bool TFDQuery::NextRecordSet()
{
    if (!m_active)
        return false;
    if (m_resultIndex + 1 >= m_results.size()) {
        Close();
        return false;
    }
    deactivate();
    ++m_resultIndex;
    activate();
    return true;
}

void TFDQuery::activate()
{
    TDBResultSet *r = m_results[m_resultIndex].get();
    ++m_generation;
    m_active = true;
    m_fields.clear();
    for (int i = 0; i < r->ColumnCount(); ++i)
        m_fields.push_back(std::make_unique<TField>(this, i));
    m_position = r->RecordCount() > 0 ? 0 : -1;
    m_eof = r->RecordCount() == 0;
    m_bof = true;
    emit activeChanged(true);
}

void TFDQuery::deactivate()
{
    // Links let go of the fields before they are freed.
    m_active = false;
    m_activeRecord = -1;
    m_bulk = false;
    m_bulkRecords.clear();
    m_state = dsBrowse;
    m_editRecord = -1;
    m_modified = false;
    m_changedColumns.clear();
    m_before.reset();
    emit activeChanged(false);
    m_fields.clear();
    m_position = -1;
    m_eof = m_bof = true;
}

TDBResultSet *TFDQuery::Result() const
{
    return m_active ? m_results[m_resultIndex].get() : nullptr;
}

TField *TFDQuery::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw usageError(QStringLiteral("フィールド番号 %1 は範囲外です。").arg(index));
    return m_fields[size_t(index)].get();
}

TField *TFDQuery::FindField(const QString &name) const
{
    for (const auto &f : m_fields) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

TField *TFDQuery::FieldByName(const QString &name) const
{
    TField *f = FindField(name);
    if (!f)
        throw usageError(QStringLiteral("フィールド '%1' が見つかりません。").arg(name));
    return f;
}

qint64 TFDQuery::RecordCount() const
{
    const TDBResultSet *r = Result();
    return r ? r->RecordCount() : 0;
}

qint64 TFDQuery::RecNo() const
{
    if (m_activeRecord >= 0) {
        const TDBResultSet *r = Result();
        return r ? r->PositionOf(m_activeRecord) + 1 : 0;
    }
    return m_position >= 0 ? m_position + 1 : 0;
}

TRecordId TFDQuery::CurrentRecord() const
{
    // A record of a bulk insert has no position until the insert ends.
    if (m_bulk && m_state == dsInsert)
        return m_editRecord;
    const TDBResultSet *r = Result();
    return r && m_position >= 0 ? r->RecordId(m_position) : -1;
}

void TFDQuery::moveTo(qint64 position, bool eof, bool bof)
{
    const qint64 count = RecordCount();
    const qint64 old = m_position;
    m_position = count == 0 ? -1 : qBound<qint64>(0, position, count - 1);
    m_eof = eof || count == 0;
    m_bof = bof || count == 0;
    if (m_position != old) {
        if (m_disableCount > 0)
            m_changedWhileDisabled = true;
        else
            emit dataSetScrolled(m_position - old);
    }
}

void TFDQuery::SetRecNo(qint64 recNo)
{
    CheckBrowseMode();
    if (m_active)
        moveTo(recNo - 1, false, false);
}

void TFDQuery::First()
{
    CheckBrowseMode();
    if (m_active)
        moveTo(0, false, true);
}

void TFDQuery::Last()
{
    CheckBrowseMode();
    if (m_active)
        moveTo(RecordCount() - 1, true, false);
}

void TFDQuery::Next()
{
    CheckBrowseMode();
    if (!m_active)
        return;
    if (m_position + 1 < RecordCount())
        moveTo(m_position + 1, false, false);
    else
        m_eof = true;
}

void TFDQuery::Prior()
{
    CheckBrowseMode();
    if (!m_active)
        return;
    if (m_position > 0)
        moveTo(m_position - 1, false, false);
    else
        m_bof = true;
}

qint64 TFDQuery::MoveBy(qint64 distance)
{
    if (!m_active || distance == 0)
        return 0;
    CheckBrowseMode();
    const qint64 count = RecordCount();
    const qint64 old = m_position;
    const qint64 target = m_position + distance;
    moveTo(target, target >= count, target < 0);
    return m_position - old;
}

void TFDQuery::GotoBookmark(TRecordId bookmark)
{
    CheckBrowseMode();
    const TDBResultSet *r = Result();
    const qint64 p = r ? r->PositionOf(bookmark) : -1;
    if (p < 0)
        throw usageError(QStringLiteral("レコードが見つかりません。"));
    moveTo(p, false, false);
}

bool TFDQuery::BookmarkValid(TRecordId bookmark) const
{
    const TDBResultSet *r = Result();
    return r && r->PositionOf(bookmark) >= 0;
}

int TFDQuery::CompareBookmarks(TRecordId a, TRecordId b) const
{
    const TDBResultSet *r = Result();
    if (!r)
        return 0;
    const qint64 pa = r->PositionOf(a), pb = r->PositionOf(b);
    return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

bool TFDQuery::CanModify() const
{
    return m_active && !m_readOnly && (m_deleteHandler || m_postHandler);
}

void TFDQuery::Delete()
{
    if (!CanModify() || !m_deleteHandler)
        throw usageError(QStringLiteral("この結果セットは変更できません。"));
    if (m_state == dsInsert) {
        // A record not yet on the server only leaves the result.
        Cancel();
        return;
    }
    if (m_state == dsEdit)
        Cancel();
    const TRecordId record = CurrentRecord();
    if (record < 0)
        throw usageError(QStringLiteral("削除するレコードがありません。"));
    m_deleteHandler(this, record);
    Result()->DeleteRecord(m_position);
    m_eof = m_bof = false;
    NotifyDataChanged();
    emit afterDelete();
}

void TFDQuery::DeleteRecords(const std::vector<TRecordId> &records, const std::function<void(TRecordId)> &notify)
{
    if (!CanModify() || !m_deleteHandler)
        throw usageError(QStringLiteral("この結果セットは変更できません。"));
    if (m_state != dsBrowse)
        Cancel();
    TDBResultSet *store = Result();
    std::vector<qint64> done;
    done.reserve(records.size());
    const auto finish = [&] {
        if (done.empty())
            return;
        const TRecordId current = CurrentRecord();
        qint64 currentPosition = m_position;
        store->DeleteRecords(done);
        // The current record, or the first after it that stays.
        if (current >= 0 && store->PositionOf(current) >= 0) {
            currentPosition = store->PositionOf(current);
        } else {
            std::sort(done.begin(), done.end());
            const auto before = std::lower_bound(done.begin(), done.end(), m_position);
            currentPosition = m_position - qint64(before - done.begin());
        }
        m_position = currentPosition;
        m_eof = m_bof = false;
        NotifyDataChanged();
        emit afterDelete();
    };
    try {
        for (TRecordId record : records) {
            const qint64 p = store->PositionOf(record);
            if (p < 0)
                continue;
            m_deleteHandler(this, record);
            done.push_back(p);
            if (notify)
                notify(record);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

// --- Record editing ------------------------------------------------------------

void TFDQuery::setState(TDataSetState state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (state == dsBrowse) {
        m_editRecord = -1;
        m_modified = false;
        m_changedColumns.clear();
        m_before.reset();
    }
    emit stateChanged();
}

void TFDQuery::Edit()
{
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    if (!CanModify() || !m_postHandler)
        throw usageError(QStringLiteral("この結果セットは変更できません。"));
    const TRecordId record = CurrentRecord();
    if (record < 0)
        throw usageError(QStringLiteral("編集するレコードがありません。"));
    TDBResultSet *store = Result();
    m_before = std::make_unique<TDBResultSet>(store->Columns());
    for (int c = 0; c < store->ColumnCount(); ++c)
        m_before->AppendCopy(c, *store, record);
    m_before->EndRow();
    m_editRecord = record;
    m_modified = false;
    m_changedColumns.clear();
    setState(dsEdit);
}

void TFDQuery::insertAt(qint64 position)
{
    if (!CanModify() || !m_postHandler)
        throw usageError(QStringLiteral("この結果セットは変更できません。"));
    CheckBrowseMode();
    TDBResultSet *store = Result();
    if (m_bulk) {
        m_editRecord = store->NewRecord();
    } else {
        position = qBound<qint64>(0, position, store->RecordCount());
        m_editRecord = store->InsertRecord(position);
        m_position = position;
        m_eof = m_bof = false;
    }
    m_modified = false;
    m_changedColumns.clear();
    m_before.reset();
    setState(dsInsert);
    if (!m_bulk)
        NotifyDataChanged();
}

void TFDQuery::Insert()
{
    insertAt(m_position < 0 ? 0 : m_position);
}

void TFDQuery::Append()
{
    insertAt(RecordCount());
}

void TFDQuery::writeField(int column, const QVariant &value)
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw usageError(QStringLiteral("データセットが編集モードではありません。"));
    TDBResultSet *store = Result();
    if (!m_changedColumns.contains(column))
        m_changedColumns.append(column);
    store->SetValue(column, m_editRecord, value);
    m_modified = true;
    int index = -1;
    for (const auto &f : m_fields) {
        if (f->m_column == column)
            index = f->m_index;
    }
    NotifyRecordChanged(index);
}

void TFDQuery::Post()
{
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    emit updateRecord();
    if (m_state == dsEdit && !m_modified) {
        setState(dsBrowse);
        return;
    }
    if (!m_postHandler)
        throw usageError(QStringLiteral("この結果セットは変更できません。"));
    TPostRequest request;
    request.record = m_editRecord;
    request.inserting = m_state == dsInsert;
    request.changedColumns = m_changedColumns;
    request.before = m_before.get();
    m_postHandler(this, request);
    if (m_bulk && request.inserting)
        m_bulkRecords.push_back(m_editRecord);
    setState(dsBrowse);
    NotifyRecordChanged(-1);
    emit afterPost();
}

void TFDQuery::Cancel()
{
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    TDBResultSet *store = Result();
    if (m_state == dsInsert) {
        // A bulk record has no position: it is simply never placed.
        if (!m_bulk) {
            const qint64 p = store->PositionOf(m_editRecord);
            if (p >= 0)
                store->DeleteRecord(p);
        }
    } else if (m_before) {
        for (int c : std::as_const(m_changedColumns))
            store->CopyValue(c, m_editRecord, *m_before, 0);
    }
    setState(dsBrowse);
    NotifyDataChanged();
}

void TFDQuery::CheckBrowseMode()
{
    if (m_state == dsEdit || m_state == dsInsert)
        emit updateRecord();
    if (m_state == dsInsert && !m_modified)
        Cancel();
    else if (m_state == dsEdit || m_state == dsInsert)
        Post();
}

void TFDQuery::BeginBulkInsert()
{
    if (m_bulk || !m_active)
        return;
    CheckBrowseMode();
    m_bulk = true;
    m_bulkPosition = m_position < 0 ? 0 : m_position;
    m_bulkRecords.clear();
}

void TFDQuery::endBulkRecords()
{
    TDBResultSet *store = Result();
    std::vector<TRecordId> records;
    records.swap(m_bulkRecords);
    const bool pending = m_state == dsInsert;
    if (pending)
        records.push_back(m_editRecord);
    m_bulk = false;
    if (!store || records.empty())
        return;
    store->PlaceRecords(m_bulkPosition, records);
    // The last record placed is current: the one still being inserted, or
    // the last one posted.
    m_position = m_bulkPosition + qint64(records.size()) - 1;
    m_eof = m_bof = false;
}

void TFDQuery::EndBulkInsert()
{
    if (!m_bulk)
        return;
    endBulkRecords();
    NotifyDataChanged();
}

void TFDQuery::DisableControls()
{
    ++m_disableCount;
}

void TFDQuery::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    if (m_layoutChangedWhileDisabled) {
        m_layoutChangedWhileDisabled = false;
        m_changedWhileDisabled = true;
        emit layoutChanged();
    }
    if (m_changedWhileDisabled) {
        m_changedWhileDisabled = false;
        emit dataSetChanged();
    }
}

void TFDQuery::NotifyDataChanged()
{
    const qint64 count = RecordCount();
    if (m_position >= count)
        m_position = count - 1;
    if (m_position < 0 && count > 0)
        m_position = 0;
    if (m_disableCount > 0)
        m_changedWhileDisabled = true;
    else
        emit dataSetChanged();
}

void TFDQuery::NotifyLayoutChanged()
{
    if (!m_active)
        return;
    if (m_disableCount > 0)
        m_layoutChangedWhileDisabled = true;
    else
        emit layoutChanged();
}

void TFDQuery::NotifyRecordChanged(int fieldIndex)
{
    if (m_disableCount > 0)
        m_changedWhileDisabled = true;
    else
        emit recordChanged(fieldIndex);
}
