#include "connection/fobject.h"

#include "connection/fobject_p.h"
#include "connection/fobject_sql.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/zkactions.h"
#include "core/zkapp.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "platform/db/db.h"
#include "platform/graphics/colors.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QToolButton>

#include <cmath>

// The object list of the connection window: its views, the fill from the
// catalogue, the name search, the fragmentation bars and the rename in place.

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\OBJECT");

constexpr int kTable = 45;
constexpr int kIndex = 46;
constexpr int kSequence = 58;
constexpr int kSynonym = 60;
constexpr int kConstraint = 66;

// Columns of the views that show the fragmentation figures.
constexpr int kFragmentColumn = 5;
constexpr int kPagesColumn = 6;
constexpr int kRedNumberColumn = 8;

// How often a long fill looks for ESC and lets the list repaint.
constexpr int kPollMs = 15;

QString findHistoryPart()
{
    return QStringLiteral("%");
}

void ignoreFailure(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

// A number as the fragmentation columns carry it; false for anything else
// ("(権限がありません)").
bool readNumber(const QString &text, double &value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

// --- Columns ------------------------------------------------------------------------------

void TfrmObject::SetListStyle(bool report)
{
    lstObject->SetViewStyle(report ? vsReport : vsList);
}

bool TfrmObject::FragmentButtonDown() const
{
    return actObject->Find(QStringLiteral("actShowFragment"))->isChecked();
}

void TfrmObject::SaveColumnWidths()
{
    if (!lstObject || m_columnKeys.isEmpty())
        return;
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    for (int c = 0; c < m_columnKeys.size() && c < lstObject->ColumnCount(); ++c)
        reg.WriteInteger(m_columnKeys.at(c), lstObject->ColumnWidth(c));
}

void TfrmObject::CreateColumns(TObjectListView view)
{
    const bool down = FragmentButtonDown();
    const bool azure = IsAzure;
    // Caption, number of the registry value of its width, default width.
    struct Column
    {
        const char *caption;
        int key;
        int width;
        Qt::Alignment alignment = Qt::AlignLeft;
    };
    QString prefix;
    QList<Column> columns;
    auto common = [&](int ownerWidth, int typeWidth) {
        columns << Column{"オブジェクト名", 0, 200} << Column{"データベース名", 1, 120}
                << Column{"所有者", 2, ownerWidth} << Column{"タイプ", 3, typeWidth};
    };
    const Column fragment{"断片化割合", 5, 100, Qt::AlignRight};
    switch (view) {
    case TObjectListView::Table:
        prefix = QStringLiteral("TABLE");
        common(120, 100);
        columns << Column{"作成日時", 4, 150};
        if (!azure)
            columns << Column{"ファイルグループ名", 5, 160} << Column{"コメント", 6, 140};
        if (!azure && DBVer > 12)
            columns << Column{"テンポラル", 7, 200};
        break;
    case TObjectListView::Index:
        prefix = QStringLiteral("INDEX");
        common(120, 100);
        columns << Column{"テーブル名", 4, 160};
        if (!azure && down)
            columns << fragment << Column{"ページ数", 6, 80, Qt::AlignRight};
        if (!azure)
            columns << Column{"ファイルグループ名", 7, 100};
        break;
    case TObjectListView::Index2:
        prefix = QStringLiteral("INDEX2_");
        common(120, 100);
        columns << Column{"テーブル名", 4, 160};
        if (azure)
            columns << Column{"作成日時", 6, 160};
        if (!azure && down)
            columns << fragment << Column{"ページ数", 6, 80, Qt::AlignRight};
        if (!azure)
            columns << Column{"作成日時", 7, 160} << Column{"コメント", 8, 200};
        break;
    case TObjectListView::Synonym:
        prefix = QStringLiteral("SYNONYM");
        common(120, 100);
        columns << Column{"親オブジェクト名", 4, 300};
        break;
    case TObjectListView::Constraint:
        prefix = QStringLiteral("CONSTRAINT");
        common(120, 100);
        columns << Column{"制約タイプ", 4, 90} << Column{"テーブル名", 5, 140};
        break;
    case TObjectListView::Source:
        prefix = QStringLiteral("SOURCE");
        common(100, 140);
        columns << Column{"作成日時", 4, 160};
        if (!azure)
            columns << Column{"コメント", 5, 200};
        break;
    }

    TzkRegistry reg;
    const bool stored = reg.KeyExists(kLayoutKey) && reg.OpenKey(kLayoutKey, false);
    m_columnKeys.clear();
    for (const Column &c : std::as_const(columns)) {
        const QString key = prefix + QString::number(c.key);
        lstObject->AddColumn(QString::fromUtf8(c.caption), stored ? reg.GetInteger(key, c.width) : c.width,
                             c.alignment);
        m_columnKeys << key;
    }
    FViewType = ObjectListViewType(view);
    if (view == TObjectListView::Index || view == TObjectListView::Index2)
        Fragment_flg = true;
}

// --- The fill ------------------------------------------------------------------------------

QString TfrmObject::NamePattern(bool IsGrep)
{
    const QString typed = cmbFind->currentText();
    if (!zkOption.Find || typed.isEmpty() || IsGrep)
        return QStringLiteral("%");
    QString pattern = TrimBlanks(typed);
    if (zkOption.FindAuto && !pattern.contains(QLatin1Char('%')))
        pattern = QLatin1Char('%') + pattern + QLatin1Char('%');

    // The typed text goes first in the search history.
    QStringList history;
    for (int i = 0; i < cmbFind->count(); ++i)
        history << cmbFind->itemText(i);
    history.removeAll(typed);
    history.prepend(typed);
    while (history.size() > 20)
        history.removeLast();
    {
        const QSignalBlocker blocker(cmbFind);
        cmbFind->clear();
        cmbFind->addItems(history);
        cmbFind->setCurrentIndex(0);
    }
    try {
        SaveWhereHistory(findHistoryPart(), findHistoryPart(), findHistoryPart(), findHistoryPart(), history);
    } catch (const std::exception &) {
        // The search runs even when the history cannot be kept.
    }
    return pattern.toUpper();
}

bool TfrmObject::ReadFragmentPerms(const QString &database)
{
    try {
        qryFragmentPerms->Close();
        qryFragmentPerms->SetParamCreate(false);
        qryFragmentPerms->SetSQL(FragmentPermsSQL(DialectOf(this), database));
        qryFragmentPerms->Open();
        bool allowed = false;
        if (!qryFragmentPerms->Eof()) {
            const int columns = DBVer >= 9 ? 1 : std::min(3, qryFragmentPerms->FieldCount());
            for (int c = 0; c < columns; ++c)
                allowed = allowed || qryFragmentPerms->Fields(c)->AsString().trimmed() == QLatin1String("1");
        }
        qryFragmentPerms->Close();
        return allowed;
    } catch (const EDBError &e) {
        qryFragmentPerms->Close();
        // ESC while the probe runs ends the fill like ESC anywhere else.
        if (e.Kind() == TDBErrorKind::Cancelled)
            throw;
        return false;
    } catch (const std::exception &) {
        qryFragmentPerms->Close();
        return false;
    }
}

void TfrmObject::PrepareFragment8(const QString &database)
{
    bool exists = false;
    try {
        qryIdxFragment->Close();
        qryIdxFragment->SetParamCreate(false);
        qryIdxFragment->SetSQL(TempIdxProbeSQL());
        qryIdxFragment->Open();
        exists = !qryIdxFragment->Eof();
    } catch (const EDBError &e) {
        if (e.Kind() == TDBErrorKind::Cancelled)
            throw;
    } catch (const std::exception &) {
    }
    // The session's temporary table is kept for the next fill.
    ExecuteSQL(exists ? TempIdxTruncateSQL() : TempIdxCreateSQL(database));
    ExecuteSQL(TempIdxFillSQL(database));
    qryIdxFragment->Close();
}

void TfrmObject::AddObjectRows(TObjectListView view, const QString &filter, bool &escaped)
{
    const bool isIndexView = view == TObjectListView::Index || view == TObjectListView::Index2;
    // Without the figures the index statements carry placeholders in their
    // seventh and eighth columns; Azure's index statements have none.
    const bool dropPlaceholders = isIndexView && !IsAzure && !FragmentButtonDown();
    const int fieldCount = qryObject->FieldCount();
    const QString upperFilter = filter.toUpper();
    QElapsedTimer sinceLook;
    sinceLook.start();
    bool first = true;
    for (qryObject->First(); !qryObject->Eof(); qryObject->Next()) {
        // ESC is looked for at the first row and then every few
        // milliseconds: a look lets the list repaint as well.
        if (first || sinceLook.elapsed() >= kPollMs) {
            first = false;
            sinceLook.restart();
            if (IsEscapePressed()) {
                escaped = true;
                return;
            }
        }
        const QString name = qryObject->Fields(1)->AsString();
        if (!upperFilter.isEmpty() && !name.toUpper().contains(upperFilter))
            continue;
        TzkListItem item;
        item.Caption = name;
        item.ImageIndex = ObjTypeFromXType(qryObject->Fields(0)->AsString());
        for (int c = 2; c < fieldCount; ++c) {
            if (dropPlaceholders && (c == 6 || c == 7))
                continue;
            const QString value = qryObject->Fields(c)->AsString();
            item.SubItems << (c == 4 ? XTypeToName(value) : value);
        }
        lstObject->AddItem(std::move(item));
    }
}

void TfrmObject::ShowObject(bool IsGrep)
{
    // A request that arrives while a fill waits for the server (a timer, a
    // posted reload) runs after it, not inside it.
    if (m_filling) {
        m_refill = IsGrep ? 1 : 0;
        return;
    }
    struct Filling
    {
        TfrmObject *form;
        explicit Filling(TfrmObject *f)
            : form(f)
        {
            form->m_filling = true;
        }
        ~Filling()
        {
            form->m_filling = false;
            if (form->m_refill >= 0) {
                const bool grep = form->m_refill == 1;
                form->m_refill = -1;
                QTimer::singleShot(0, form, [f = form, grep] { f->ShowObject(grep); });
            }
        }
    } filling(this);

    // Only an ESC of this fill stops it.
    ResetEscapeLatch();
    Fragment_flg = false;
    Fragment_Gflg = false;
    const TCatalogDialect dialect = DialectOf(this);
    for (const QString &statement : ShowplanOffSQL(dialect))
        ignoreFailure([&] { ExecuteSQL(statement); });

    TSQLWaitCursor wait;
    // However the fill ends: the list's updates resume, the counts show and
    // the change event is back.
    struct Finish
    {
        TfrmObject *form;
        bool updating = false;
        ~Finish()
        {
            if (updating)
                form->lstObject->EndUpdate();
            form->qryObject->Close();
            form->lstObject->OnChange = [f = form] { f->lstObjectChange(); };
            if (zkMainForm)
                zkMainForm->SetDefMessage();
        }
    } finish{this};

    if (lstObject->ColumnCount() > 0)
        SaveColumnWidths();
    lstObject->OnChange = nullptr;
    qryObject->Close();
    qryObject->ClearSQL();
    lstObject->ClearItems();
    lstObject->ClearColumns();
    m_columnKeys.clear();

    TzkTreeNode *node = lstTree->Selected();
    if (!node)
        return;
    const QString login = g_DataBase;
    QString kind;
    QString filter;
    switch (node->Level()) {
    case 0:
        if (!zkOption.ShowLevel0)
            return;
        kind = QStringLiteral("%");
        filter = Disp == 1 ? login : QStringLiteral("%");
        break;
    case 1:
        if (!zkOption.ShowLevel1)
            return;
        if (btnTree1->isChecked()) {
            kind = QStringLiteral("%");
            filter = node->Text();
        } else {
            kind = node->Text();
            filter = Disp == 1 ? login : QStringLiteral("%");
        }
        break;
    default:
        if (btnTree1->isChecked()) {
            kind = node->Text();
            filter = node->Parent()->Text();
        } else {
            kind = node->Parent()->Text();
            filter = node->Text();
        }
        break;
    }
    const QStringList configured = ConfiguredDatabases();
    const QString pattern = NamePattern(IsGrep);
    const QString typed = TrimBlanks(cmbFind->currentText());

    const TObjectListView view = ObjectListViewOf(kind, zkOption.TreeData);
    CreateColumns(view);

    QStringList databases;
    try {
        TFDQuery *query = OpenSQL(GetDatabaseSQL(IsAzure));
        for (; !query->Eof(); query->Next())
            databases << query->Fields(0)->AsString();
        query->Close();
    } catch (const EDBError &e) {
        // ESC before the first database: the fill ends with nothing listed.
        if (e.Kind() != TDBErrorKind::Cancelled)
            throw;
        return;
    }

    if (!zkOption.Progress) {
        lstObject->BeginUpdate();
        finish.updating = true;
    }
    bool escaped = false;
    for (const QString &database : std::as_const(databases)) {
        const bool wanted = database == filter
                            || (filter == QLatin1String("%") && Disp == 0)
                            // An empty list stands for every database, as in the tree.
                            || (filter == QLatin1String("%") && Disp == 2
                                && (configured.isEmpty() || configured.contains(database, Qt::CaseInsensitive)));
        if (!wanted)
            continue;
        TObjectListQuery query;
        query.Dialect = dialect;
        query.View = view;
        query.Kind = kind;
        query.Database = database;
        query.Pattern = pattern;
        if (view == TObjectListView::Index || view == TObjectListView::Index2) {
            const bool down = FragmentButtonDown();
            try {
                Fragment_Gflg = ReadFragmentPerms(database);
                const bool prepare = view == TObjectListView::Index ? Fragment_Gflg && down : down;
                if (DBVer < 9 && !IsAzure && prepare)
                    PrepareFragment8(database);
            } catch (const EDBError &e) {
                // ESC ends the fill; the preparation's own errors go on.
                if (e.Kind() != TDBErrorKind::Cancelled)
                    throw;
                escaped = true;
                break;
            }
            query.Fragment = Fragment_Gflg && down;
        }
        qryObject->Close();
        qryObject->SetParamCreate(false);
        qryObject->SetSQL(ObjectListSQL(query));
        if (view == TObjectListView::Index2)
            Fragment_Gflg = true;
        if (zkMainForm)
            zkMainForm->SetLoopMessage(0, 0);
        try {
            qryObject->Open();
        } catch (const EDBError &e) {
            // A database that cannot be read adds nothing; ESC during its
            // statement ends the fill.
            if (e.Kind() == TDBErrorKind::Cancelled) {
                escaped = true;
                break;
            }
            continue;
        } catch (const std::exception &) {
            continue;
        }
        AddObjectRows(view, typed, escaped);
        if (escaped)
            break;
    }
    lstObject->AlphaSort();
}

// --- The list's events ----------------------------------------------------------------------

bool TfrmObject::lstObjectKeyDown(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F2: {
        int item = lstObject->ItemFocused();
        if (item < 0 || !lstObject->IsSelected(item))
            item = lstObject->SelectedIndex();
        if (item >= 0)
            lstObject->EditCaption(item);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: actOpenExecute(); return true;
    case Qt::Key_Delete: actDeleteExecute(); return true;
    default: return false;
    }
}

void TfrmObject::lstObjectChange()
{
    if (zkMainForm)
        zkMainForm->SetDefMessage();
}

void TfrmObject::cmbFindEnter()
{
    // The copy and paste keys edit the search text here.
    actObject->Find(QStringLiteral("actCopy"))->setShortcut(QKeySequence());
    actObject->Find(QStringLiteral("actPaste"))->setShortcut(QKeySequence());
}

void TfrmObject::lstObjectEnter()
{
    QAction *copy = actObject->Find(QStringLiteral("actCopy"));
    QAction *paste = actObject->Find(QStringLiteral("actPaste"));
    if (!copy->shortcut().isEmpty() || !paste->shortcut().isEmpty() || !zkMainForm)
        return;
    QWidget *main = zkMainForm->Window();
    if (auto *editCopy = main->findChild<QAction *>(QStringLiteral("actEditCopy")))
        copy->setShortcut(editCopy->shortcut());
    if (auto *editPaste = main->findChild<QAction *>(QStringLiteral("actEditPaste")))
        paste->setShortcut(editPaste->shortcut());
}

bool TfrmObject::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && (watched == cmbFind || watched == cmbFind->lineEdit()))
        cmbFindEnter();
    return QWidget::eventFilter(watched, event);
}

// --- Rename in place ------------------------------------------------------------------------

bool TfrmObject::lstObjectEditing(int item) const
{
    const int image = lstObject->Item(item).ImageIndex;
    return image == kTable || image == kIndex || image == kSequence || image == kSynonym || image == kConstraint;
}

bool TfrmObject::lstObjectEdited(int item, QString &text)
{
    const TzkListItem &listed = lstObject->Item(item);
    if (text == listed.Caption)
        return false;
    const QString database = listed.SubItem(0);
    const QString owner = listed.SubItem(1);
    const QString name = listed.Caption;
    try {
        QString sql;
        if (listed.ImageIndex == kIndex) {
            // An index of a constraint is renamed as the object it is.
            TFDQuery *query = OpenSQL(IndexObjectProbeSQL(database, name));
            const int count = query->Eof() ? 0 : query->Fields(0)->AsInteger();
            query->Close();
            const QString table = IndexTableOf(item);
            sql = count != 0 ? RenameObjectSQL(database, owner, name, text)
                             : RenameIndexSQL(database, owner, table, name, text);
        } else {
            sql = RenameObjectSQL(database, owner, name, text);
        }
        ExecuteSQL(sql);
        return true;
    } catch (const EAbort &) {
        return false;
    } catch (const std::exception &e) {
        // The server's refusal is shown; the old name stays.
        TzkApplication::HandleException(e);
        return false;
    }
}

// --- Fragmentation bars -----------------------------------------------------------------------

void TfrmObject::lstObjectCustomDrawSubItem(QPainter *painter, const QStyleOptionViewItem &option, int item, int column,
                                            bool &defaultDraw)
{
    TzkTreeNode *node = lstTree->Selected();
    QString context;
    if (node) {
        if (btnTree1->isChecked())
            context = node->Text();
        else if ((node->Level() == 1 && node->Text() == QLatin1String("INDEX"))
                 || (node->Level() == 2 && node->Parent()->Text() == QLatin1String("INDEX")))
            context = QStringLiteral("INDEX");
    }
    if (IsAzure || context != QLatin1String("INDEX") || !FragmentButtonDown())
        return;
    defaultDraw = false;

    const TzkListItem &listed = lstObject->Item(item);
    const bool highlighted = (option.state & QStyle::State_Selected) && lstObject->RowSelect();
    const QPalette &palette = option.palette;
    painter->fillRect(option.rect, highlighted ? palette.highlight() : palette.base());
    const QColor textColor = highlighted ? palette.highlightedText().color() : palette.text().color();

    double value = 0;
    const bool hasValue = Fragment_flg && Fragment_Gflg && readNumber(listed.SubItem(4), value);
    const bool isIndex = listed.ImageIndex == kIndex;
    const int flags = Qt::TextSingleLine | Qt::AlignVCenter;
    const QFontMetrics metrics(option.font);
    painter->setFont(option.font);

    if (hasValue && isIndex && column == kFragmentColumn) {
        QRect bar = option.rect.adjusted(2, 2, -2, -2);
        painter->fillRect(bar, ColorToQColor(clSilver));
        bar.adjust(0, 2, 0, -2);
        TColor color = clBlue;
        if (value >= zkOption.IdxRebuild / 100.0)
            color = clRed;
        else if (value >= zkOption.IdxReorganize / 100.0)
            color = clYellow;
        QRect filled = bar;
        filled.setWidth(int(std::lround(std::clamp(value, 0.0, 1.0) * bar.width())));
        painter->fillRect(filled, ColorToQColor(color));
        const QString text = QString::number(int(std::trunc(value * 100))) + QLatin1Char('%');
        painter->setPen(textColor);
        painter->drawText(bar, flags | Qt::AlignRight, metrics.elidedText(text, Qt::ElideRight, bar.width()));
        return;
    }

    QString text = listed.SubItem(column - 1);
    if (hasValue && isIndex && column == kPagesColumn) {
        double pages = 0;
        if (readNumber(text, pages))
            text = QString::number(std::llround(pages * 100));
    }
    QColor pen = textColor;
    bool whole = false;
    if (column == kRedNumberColumn && text.toLongLong(&whole) > 0 && whole)
        pen = ColorToQColor(clRed);
    const QRect rect = option.rect.adjusted(5, 0, -5, 0);
    painter->setPen(pen);
    painter->drawText(rect, flags | int(lstObject->ColumnAlignment(column)),
                      metrics.elidedText(text, Qt::ElideRight, rect.width()));
}
