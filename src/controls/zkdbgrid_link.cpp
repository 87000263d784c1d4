#include "controls/zkdbgrid_link.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

const QString SDataSetClosed = QStringLiteral("データセットは閉じているため, この操作は実行できません");

void RaiseInvalidGridOperation(const QString &message)
{
    throw EInvalidGridOperation(message);
}

// --- TGridDataLink -------------------------------------------------------------

TGridDataLink::TGridDataLink(IzkDBGridLink *grid)
    : m_grid(grid)
{
}

TGridDataLink::~TGridDataLink()
{
    ClearMapping();
}

void TGridDataLink::SetDataSource(TDataSource *source)
{
    if (source == m_source)
        return;
    disconnect(m_sourceConnection);
    disconnect(m_sourceGone);
    m_source = source;
    if (source) {
        m_sourceConnection = connect(source, &TDataSource::dataSetReplaced, this, &TGridDataLink::relink);
        m_sourceGone = connect(source, &QObject::destroyed, this, &TGridDataLink::relink);
    }
    relink();
}

void TGridDataLink::relink()
{
    TFDQuery *dataSet = m_source ? m_source->DataSet() : nullptr;
    if (dataSet == m_dataSet && !m_connections.isEmpty())
        return;
    setActive(false);
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    m_first = 0;
    if (!dataSet)
        return;
    m_connections << connect(dataSet, &TFDQuery::activeChanged, this, &TGridDataLink::activeChanged)
                  << connect(dataSet, &TFDQuery::dataSetChanged, this, &TGridDataLink::dataSetChanged)
                  << connect(dataSet, &TFDQuery::dataSetScrolled, this, &TGridDataLink::dataSetScrolled)
                  << connect(dataSet, &TFDQuery::layoutChanged, this, &TGridDataLink::layoutChanged)
                  << connect(dataSet, &TFDQuery::recordChanged, this, &TGridDataLink::recordChanged)
                  << connect(dataSet, &TFDQuery::updateRecord, this, &TGridDataLink::UpdateRecord)
                  << connect(dataSet, &TFDQuery::stateChanged, this, [this] {
                         if (m_active)
                             m_grid->EditingChanged();
                     });
    setActive(dataSet->Active());
}

void TGridDataLink::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    m_first = 0;
    if (active)
        SyncBuffer();
    m_grid->LinkActive(active);
    m_modified = false;
}

bool TGridDataLink::ReadOnly() const
{
    return !m_dataSet || m_dataSet->ReadOnly();
}

bool TGridDataLink::Editing() const
{
    if (!m_active)
        return false;
    const TDataSetState s = m_dataSet->State();
    return s == dsEdit || s == dsInsert;
}

void TGridDataLink::activeChanged(bool active)
{
    setActive(active);
}

void TGridDataLink::dataSetChanged()
{
    if (!m_active)
        return;
    SyncBuffer();
    m_grid->DataChanged();
    m_modified = false;
}

void TGridDataLink::dataSetScrolled()
{
    if (!m_active)
        return;
    SyncBuffer();
    m_grid->DataChanged();
}

void TGridDataLink::layoutChanged()
{
    if (!m_active)
        return;
    m_grid->LayoutChanged();
    dataSetChanged();
}

void TGridDataLink::recordChanged(int fieldIndex)
{
    if (!m_active)
        return;
    TField *field = fieldIndex >= 0 && fieldIndex < m_dataSet->FieldCount() ? m_dataSet->Fields(fieldIndex) : nullptr;
    m_grid->RecordChanged(field);
    m_modified = false;
}

void TGridDataLink::SetBufferCount(int count)
{
    count = qMax(1, count);
    if (count == m_bufferCount)
        return;
    m_bufferCount = count;
    SyncBuffer();
}

int TGridDataLink::RecordCount() const
{
    if (!m_active)
        return 0;
    return int(qBound<qint64>(0, m_dataSet->RecordCount() - m_first, qint64(m_bufferCount)));
}

int TGridDataLink::ActiveRecord() const
{
    if (!m_active)
        return -1;
    const TDBResultSet *store = m_dataSet->Result();
    const TRecordId current = m_dataSet->CurrentRecord();
    if (!store || current < 0)
        return -1;
    return int(store->PositionOf(current) - m_first);
}

TRecordId TGridDataLink::BufferRecord(int index) const
{
    if (index < 0 || index >= RecordCount())
        return -1;
    return m_dataSet->Result()->RecordId(m_first + index);
}

void TGridDataLink::SyncBuffer()
{
    if (!m_active) {
        m_first = 0;
        return;
    }
    const qint64 total = m_dataSet->RecordCount();
    const TDBResultSet *store = m_dataSet->Result();
    const TRecordId current = m_dataSet->CurrentRecord();
    const qint64 position = store && current >= 0 ? store->PositionOf(current) : 0;
    if (position < m_first)
        m_first = position;
    else if (position >= m_first + m_bufferCount)
        m_first = position - m_bufferCount + 1;
    // The window stays full while the data set has the records for it.
    m_first = qBound<qint64>(0, m_first, qMax<qint64>(0, total - m_bufferCount));
}

bool TGridDataLink::AddMapping(const QString &fieldName)
{
    if (m_fieldMap.size() >= size_t(MaxMapSize))
        RaiseInvalidGridOperation(QStringLiteral("グリッドの 256 カラム数の限界を超えました"));
    TField *field = nullptr;
    if (m_dataSet && m_dataSet->Active())
        field = m_sparseMap ? m_dataSet->FindField(fieldName) : m_dataSet->FieldByName(fieldName);
    m_fieldMap.push_back(field ? field->Index() : -1);
    return true;
}

void TGridDataLink::ClearMapping()
{
    std::vector<int>().swap(m_fieldMap);
}

int TGridDataLink::FieldMapIndex(int index) const
{
    return index >= 0 && index < FieldCount() ? m_fieldMap[size_t(index)] : -1;
}

TField *TGridDataLink::Fields(int index) const
{
    const int i = FieldMapIndex(index);
    if (i < 0 || !m_active || i >= m_dataSet->FieldCount())
        return nullptr;
    return m_dataSet->Fields(i);
}

bool TGridDataLink::DefaultFields() const
{
    if (!m_sparseMap)
        return true;
    return std::find(m_fieldMap.begin(), m_fieldMap.end(), -1) == m_fieldMap.end();
}

void TGridDataLink::Reset()
{
    // A pending text is dropped first; without one the record's own
    // changes are.
    if (m_modified)
        recordChanged(-1);
    else if (m_active && m_dataSet)
        m_dataSet->Cancel();
}

void TGridDataLink::UpdateRecord()
{
    if (m_modified && m_active)
        m_grid->UpdateData();
    m_modified = false;
}

// --- TBookmarkList -------------------------------------------------------------

namespace {

bool sortedContains(const std::vector<TRecordId> &list, TRecordId id)
{
    return std::binary_search(list.begin(), list.end(), id);
}

void sortedInsert(std::vector<TRecordId> &list, TRecordId id)
{
    const auto it = std::lower_bound(list.begin(), list.end(), id);
    if (it == list.end() || *it != id)
        list.insert(it, id);
}

void sortedErase(std::vector<TRecordId> &list, TRecordId id)
{
    const auto it = std::lower_bound(list.begin(), list.end(), id);
    if (it != list.end() && *it == id)
        list.erase(it);
}

} // namespace

TBookmarkList::TBookmarkList(IzkDBGridLink *grid, TGridDataLink *link)
    : m_grid(grid)
    , m_link(link)
{
}

TBookmarkList::~TBookmarkList() = default;

TDBResultSet *TBookmarkList::store() const
{
    return m_link->DataSet() ? m_link->DataSet()->Result() : nullptr;
}

qint64 TBookmarkList::Count() const
{
    return qint64(m_ids.size()) + (m_all ? m_allCount - qint64(m_excluded.size()) : 0);
}

bool TBookmarkList::allContains(TRecordId record) const
{
    return m_all && record < m_allLimit && !sortedContains(m_excluded, record);
}

bool TBookmarkList::Contains(TRecordId record) const
{
    return record >= 0 && (allContains(record) || sortedContains(m_ids, record));
}

TRecordId TBookmarkList::CurrentBookmark() const
{
    if (!m_linkActive)
        RaiseInvalidGridOperation(SDataSetClosed);
    return m_link->DataSet()->ActiveRecord();
}

int TBookmarkList::CompareItems(TRecordId a, TRecordId b) const
{
    TFDQuery *dataSet = m_link->DataSet();
    return dataSet ? dataSet->CompareBookmarks(a, b) : 0;
}

bool TBookmarkList::CurrentRowSelected() const
{
    const TRecordId current = CurrentBookmark();
    return current >= 0 && Contains(current);
}

void TBookmarkList::SetCurrentRowSelected(bool value)
{
    const TRecordId current = CurrentBookmark();
    if (current < 0 || Contains(current) == value)
        return;
    if (value)
        insert(current);
    else
        remove(current);
    changed();
    m_grid->InvalidateCurrentRecord();
}

void TBookmarkList::insert(TRecordId record)
{
    if (m_all && record < m_allLimit)
        sortedErase(m_excluded, record);
    else
        sortedInsert(m_ids, record);
}

void TBookmarkList::remove(TRecordId record)
{
    if (m_all && record < m_allLimit)
        sortedInsert(m_excluded, record);
    else
        sortedErase(m_ids, record);
    normalize();
}

void TBookmarkList::normalize()
{
    if (m_all && m_allCount - qint64(m_excluded.size()) <= 0) {
        m_all = false;
        m_allCount = 0;
        m_excluded.clear();
    }
}

void TBookmarkList::changed()
{
    m_orderedValid = false;
    std::vector<TRecordId>().swap(m_ordered);
}

void TBookmarkList::SelectAll()
{
    if (!m_linkActive)
        RaiseInvalidGridOperation(SDataSetClosed);
    const TDBResultSet *s = store();
    if (!s)
        return;
    m_ids.clear();
    m_excluded.clear();
    m_allCount = s->RecordCount();
    m_allLimit = s->RecordIdLimit();
    m_all = m_allCount > 0;
    changed();
    m_grid->InvalidateSelection();
}

void TBookmarkList::Clear()
{
    if (m_ids.empty() && !m_all)
        return;
    m_ids.clear();
    m_excluded.clear();
    m_all = false;
    m_allCount = 0;
    changed();
    m_grid->InvalidateSelection();
}

void TBookmarkList::ForEach(const std::function<void(TRecordId)> &visit) const
{
    const TDBResultSet *s = store();
    if (!s)
        return;
    if (m_all) {
        const qint64 count = s->RecordCount();
        for (qint64 p = 0; p < count; ++p) {
            const TRecordId id = s->RecordId(p);
            if (allContains(id) || (!m_ids.empty() && sortedContains(m_ids, id)))
                visit(id);
        }
        return;
    }
    std::vector<std::pair<qint64, TRecordId>> byPosition;
    byPosition.reserve(m_ids.size());
    for (TRecordId id : m_ids) {
        const qint64 p = s->PositionOf(id);
        if (p >= 0)
            byPosition.emplace_back(p, id);
    }
    std::sort(byPosition.begin(), byPosition.end());
    for (const auto &entry : byPosition)
        visit(entry.second);
}

const std::vector<TRecordId> &TBookmarkList::ordered() const
{
    if (!m_orderedValid) {
        m_ordered.clear();
        m_ordered.reserve(size_t(Count()));
        ForEach([this](TRecordId id) { m_ordered.push_back(id); });
        m_orderedValid = true;
    }
    return m_ordered;
}

TRecordId TBookmarkList::Items(qint64 index) const
{
    const std::vector<TRecordId> &list = ordered();
    if (index < 0 || index >= qint64(list.size()))
        throw EListError(int(index));
    return list[size_t(index)];
}

bool TBookmarkList::Find(TRecordId item, qint64 &index) const
{
    const std::vector<TRecordId> &list = ordered();
    const TDBResultSet *s = store();
    const qint64 position = s ? s->PositionOf(item) : -1;
    if (position < 0) {
        index = 0;
        return false;
    }
    const auto it = std::lower_bound(list.begin(), list.end(), position,
                                     [s](TRecordId id, qint64 p) { return s->PositionOf(id) < p; });
    index = qint64(it - list.begin());
    return it != list.end() && *it == item;
}

qint64 TBookmarkList::IndexOf(TRecordId item) const
{
    qint64 index;
    return Find(item, index) ? index : -1;
}

void TBookmarkList::Delete()
{
    if (IsEmpty())
        return;
    TFDQuery *dataSet = m_link->DataSet();
    if (!m_linkActive || !dataSet)
        RaiseInvalidGridOperation(SDataSetClosed);
    const TDBResultSet *s = store();
    // Positions before a deleted record do not move: they are taken once,
    // and the records visited from the last.
    std::vector<std::pair<qint64, TRecordId>> targets;
    if (m_all) {
        for (qint64 p = s->RecordCount() - 1; p >= 0; --p) {
            const TRecordId id = s->RecordId(p);
            if (Contains(id))
                targets.emplace_back(p, id);
        }
    } else {
        for (TRecordId id : m_ids) {
            const qint64 p = s->PositionOf(id);
            if (p >= 0)
                targets.emplace_back(p, id);
        }
        std::sort(targets.rbegin(), targets.rend());
    }
    dataSet->DisableControls();
    try {
        // One pass over the result for all of them, however many they are.
        std::vector<TRecordId> records;
        records.reserve(targets.size());
        for (const auto &target : targets)
            records.push_back(target.second);
        dataSet->DeleteRecords(records, [this](TRecordId id) {
            if (m_all && id < m_allLimit)
                --m_allCount;
            else
                sortedErase(m_ids, id);
            normalize();
        });
        // Whatever is left are records that were gone already.
        m_ids.clear();
        m_excluded.clear();
        m_all = false;
        m_allCount = 0;
    } catch (...) {
        changed();
        dataSet->EnableControls();
        throw;
    }
    changed();
    dataSet->EnableControls();
}

bool TBookmarkList::Refresh()
{
    const TDBResultSet *s = store();
    if (!s || IsEmpty())
        return false;
    const qint64 before = Count();
    const auto invalid = [s](TRecordId id) { return !s->IsValidRecord(id); };
    m_ids.erase(std::remove_if(m_ids.begin(), m_ids.end(), invalid), m_ids.end());
    if (m_all) {
        m_excluded.erase(std::remove_if(m_excluded.begin(), m_excluded.end(), invalid), m_excluded.end());
        qint64 count = 0;
        const qint64 records = s->RecordCount();
        for (qint64 p = 0; p < records; ++p)
            count += s->RecordId(p) < m_allLimit;
        m_allCount = count;
        normalize();
    }
    const bool removed = Count() < before;
    if (removed) {
        changed();
        m_grid->InvalidateSelection();
    }
    return removed;
}

void TBookmarkList::ResetForLink(bool active)
{
    Clear();
    m_linkActive = active;
}

// --- Helpers -------------------------------------------------------------------

QString UnicodeBytesToHex(const QString &text, int maxBytes)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    if (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
    }
    if (maxBytes >= 0)
        bytes.resize(maxBytes, '\0');
    return QString::fromLatin1(bytes.toHex().toUpper());
}

void DrawCellText(QPainter *painter, const QRect &rect, int dx, int dy, const QString &text, TAlignment alignment,
                  bool rightToLeft)
{
    painter->fillRect(rect, painter->brush());
    if (rightToLeft && !text.isRightToLeft()) {
        if (alignment == taLeftJustify)
            alignment = taRightJustify;
        else if (alignment == taRightJustify)
            alignment = taLeftJustify;
    }
    const QFontMetrics metrics(painter->font());
    const int width = metrics.horizontalAdvance(text);
    int x = rect.left() + dx;
    if (alignment == taRightJustify)
        x = rect.left() + rect.width() - width - 3;
    else if (alignment == taCenter)
        x = rect.left() + rect.width() / 2 - width / 2;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->drawText(x, rect.top() + dy + metrics.ascent(), text);
    painter->restore();
}
