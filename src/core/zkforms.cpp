#include "core/zkforms.h"

#include "controls/zkstdctl.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkapp.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zksub_text.h"
#include "core/zktaskbar.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>

namespace {

struct SettingsHandler
{
    TzkControlSettingsHandler handler;
    bool atFormCreation;
};
QList<SettingsHandler> &settingsHandlers()
{
    static QList<SettingsHandler> handlers;
    return handlers;
}

TzkConnectionWindow *ownerFormOf(QObject *owner)
{
    if (!owner)
        return nullptr;
    if (auto *connection = dynamic_cast<TzkConnectionWindow *>(owner))
        return connection;
    if (zkMainForm && owner == zkMainForm->Window())
        return zkMainForm->CurrentForm();
    if (auto *form = qobject_cast<TzkForm *>(owner))
        return form->OwnerForm();
    return nullptr;
}

TzkTaskBar *taskBar()
{
    return zkMainForm ? zkMainForm->pagTaskBar() : nullptr;
}

} // namespace

void RegisterControlSettings(TzkControlSettingsHandler handler, bool atFormCreation)
{
    settingsHandlers().append({std::move(handler), atFormCreation});
}

// --- TzkForm -------------------------------------------------------------------

TzkForm::TzkForm(QObject *AOwner)
    : QDialog(nullptr)
    , m_owner(AOwner)
    , m_formID(NewFormID())
{
    setSizeGripEnabled(false);
    setWindowFlags(Qt::Window);
    // Every window of the program has this font of its own, wherever it is
    // placed; its controls take it unless they set theirs.
    QFont formFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);
    WatchOwnerForm(ownerFormOf(AOwner));
    if (AOwner) {
        // Owned windows go with their owner.
        connect(AOwner, &QObject::destroyed, this, [this] {
            if (QMdiSubWindow *frame = MDIFrame())
                delete frame;
            else
                delete this;
        });
    }
}

TzkForm::~TzkForm()
{
    if (TzkTaskBar *bar = taskBar())
        bar->RemoveTag(m_formID);
    // Gone after the main window's close.
    if (ConnectionManager)
        ConnectionManager->RemoveHandle(m_formID);
}

void TzkForm::InitForm()
{
    InitComponents();
    BindQueries();
    LoadWindowLayout();
}

void TzkForm::InitComponents()
{
    FUseLowerName = zkOption.UseLowerName;
    watchKeys(this);
    const QList<QWidget *> widgets = findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        for (const SettingsHandler &h : settingsHandlers())
            if (h.atFormCreation && h.handler(w))
                break;
        if (FUseLowerName) {
            if (auto *edit = qobject_cast<TzkStrEdit *>(w))
                edit->SetCharCase(ecNormal);
            else if (auto *combo = qobject_cast<TzkComboBox *>(w))
                combo->SetCharCase(ecNormal);
        }
        if (!FPageControl)
            if (auto *pages = qobject_cast<QTabWidget *>(w))
                FPageControl = pages;
    }
}

void TzkForm::BindQueries()
{
    TdmSQLServer *session = FOwnerForm ? FOwnerForm->dmSQLServer : nullptr;
    if (!session)
        return;
    // The layer sends statement texts unchanged ("{", "!" and "&" reach the
    // server as written), so binding is all there is to do.
    const QList<TFDQuery *> queries = findChildren<TFDQuery *>();
    for (TFDQuery *query : queries) {
        query->Close();
        query->Unprepare();
        query->SetConnection(session->Connection);
    }
}

void TzkForm::SetOwnerForm(TzkConnectionWindow *form)
{
    if (form == FOwnerForm)
        return;
    WatchOwnerForm(form);
    BindQueries();
}

// A connection window may close while a window it owned stays open (a
// tool window that outlives it): the pointer must not dangle.
void TzkForm::WatchOwnerForm(TzkConnectionWindow *form)
{
    QObject::disconnect(m_ownerFormGone);
    FOwnerForm = form;
    if (QWidget *w = form ? form->Form() : nullptr)
        m_ownerFormGone = connect(w, &QObject::destroyed, this, [this] { FOwnerForm = nullptr; });
}

void TzkForm::SwitchConnectionDisplay()
{
    if (!FOwnerForm)
        return;
    try {
        if (ConnectionManager)
            ConnectionManager->ChangeSessionID(m_formID, FOwnerForm->MYSID);
        if (zkMainForm) {
            QComboBox *combo = zkMainForm->cmbDBName();
            combo->setCurrentIndex(GetItemIndexHasSessionID(combo, FOwnerForm->MYSID));
        }
        if (TzkTaskBar *bar = taskBar())
            bar->update();
    } catch (const std::exception &) {
        ShowAppMessage(QStringLiteral("Databaseコネクション表示の切り替えに失敗しました。"), MB_ICONWARNING);
    }
}

void TzkForm::SetObjType(int value)
{
    if (value == FObjType)
        return;
    FObjType = value;
    SetIcon(value);
}

void TzkForm::SetIsNew(bool value)
{
    FIsNew = value;
    ChangedIsNew();
}

void TzkForm::SetIcon(int imageIndex)
{
    const TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    const QIcon icon = images ? images->Icon(imageIndex) : QIcon();
    setWindowIcon(icon);
    if (QMdiSubWindow *frame = MDIFrame())
        frame->setWindowIcon(icon);
    if (TzkTaskBar *bar = taskBar()) {
        const int index = bar->IndexOfTag(m_formID);
        if (index >= 0)
            bar->SetImageIndex(index, imageIndex);
    }
}

int TzkForm::TaskTabIndex() const
{
    TzkTaskBar *bar = taskBar();
    return m_hasTaskTab && bar ? bar->IndexOfTag(m_formID) : -1;
}

QString TzkForm::GetTaskCaption() const
{
    const int index = TaskTabIndex();
    return index >= 0 ? taskBar()->tabText(index) : QString();
}

void TzkForm::SetTaskCaption(const QString &caption)
{
    const int index = TaskTabIndex();
    if (index < 0)
        return;
    taskBar()->setTabText(index, caption.size() <= 16 ? caption : caption.left(14) + QChar(0x2026));
}

void TzkForm::CreateTaskButton()
{
    if (FOwnerForm && ConnectionManager)
        ConnectionManager->AddHandle(m_formID, FOwnerForm->MYSID);
    TzkTaskBar *bar = taskBar();
    if (!bar)
        return;
    bar->AddTab(m_formID, QString(), windowTitle(), -1);
    m_hasTaskTab = true;
}

QString TzkForm::SchemaPrefix(const QString &schema, const QString &ownerSchema) const
{
    bool given = true;
    if (SourceMode == smText) {
        switch (ScriptOption.Owner) {
        case 0: break;
        case 1: given = !FOwnerForm || schema.trimmed() != FOwnerForm->GetCurrentSchema(); break;
        case 2: given = schema.trimmed() != ownerSchema.trimmed(); break;
        default: given = false; break;
        }
    }
    return given ? TzkForm::NamePrefix(schema) : QString();
}

QString TzkForm::DatabasePrefix(const QString &database, const QString &ownerDatabase) const
{
    bool given = true;
    if (SourceMode == smText) {
        const bool azure = FOwnerForm && FOwnerForm->IsAzure;
        const QString current = FOwnerForm && FOwnerForm->dmSQLServer ? FOwnerForm->dmSQLServer->DataBase() : QString();
        switch (ScriptOption.Database) {
        case 0: given = !azure; break;
        case 1: given = database.trimmed() != current && !azure; break;
        case 2: given = database.trimmed() != ownerDatabase.trimmed() && !azure; break;
        default: given = false; break;
        }
    }
    return given ? TzkForm::NamePrefix(database) : QString();
}

QString TzkForm::NamePrefix(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QString();
    return BracketCatalogName(name) + QLatin1Char('.');
}

void TzkForm::ConnectionComboBoxDrawItem(const QComboBox *control, int index, QPainter *painter, const QRect &rect)
{
    // A selected or focused item is drawn in the same colours.
    const TzkConnectionWindow *form = ComboConnection(control, index);
    const int session = form ? form->MYSID : 0;
    TColor back = clBtnFace;
    TColor fore = clBtnText;
    if (ConnectionManager) {
        back = ConnectionManager->GetBackgroundColor(session);
        fore = ConnectionManager->GetForegroundColor(session);
    }
    painter->fillRect(rect, ColorToQColor(back));
    painter->setPen(ColorToQColor(fore));
    painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, control->itemText(index));
}

int TzkForm::GetItemIndexHasSessionID(const QComboBox *comboBox, int SessionID)
{
    for (int i = 0; i < comboBox->count(); ++i) {
        const TzkConnectionWindow *form = ComboConnection(comboBox, i);
        if (form && form->MYSID == SessionID)
            return i;
    }
    return -1;
}

void TzkForm::ApplyControlSettings(QWidget *control)
{
    for (const SettingsHandler &h : settingsHandlers())
        if (h.handler(control))
            return;
}

void TzkForm::ShowMDIChild()
{
    QMdiArea *area = zkMainForm ? zkMainForm->MDIClient() : nullptr;
    if (!area) {
        show();
        return;
    }
    QMdiSubWindow *frame = MDIFrame();
    const bool added = !frame;
    // The size the form was given (or would like): the frame is built around it.
    const QSize wanted = testAttribute(Qt::WA_Resized) ? size() : sizeHint().expandedTo(QSize(480, 320));
    if (added) {
        frame = area->addSubWindow(this);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(windowIcon());
    }
    show();
    frame->show();
    if (added)
        frame->resize(wanted + frame->size() - size());
    area->setActiveSubWindow(frame);
}

QMdiSubWindow *TzkForm::MDIFrame() const
{
    return qobject_cast<QMdiSubWindow *>(parentWidget());
}

int TzkForm::ShowModal()
{
    if (zkMainForm && !parentWidget())
        setParent(zkMainForm->Window(), Qt::Dialog);
    return exec();
}

void TzkForm::Close()
{
    if (QMdiSubWindow *frame = MDIFrame())
        frame->close();
    else
        close();
}

bool TzkForm::CloseQuery()
{
    bool result = FormCloseQuery();
    if (FModified) {
        QMdiSubWindow *frame = MDIFrame();
        QMdiArea *area = frame ? frame->mdiArea() : nullptr;
        if (area && area->activeSubWindow() != frame) {
            frame->show();
            area->setActiveSubWindow(frame);
        } else if (!frame && !isActiveWindow()) {
            show();
            activateWindow();
        }
        switch (ShowAppMessage(QStringLiteral("情報が変更されています。コンパイルしますか？"),
                               MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            Compile();
            if (FModified)
                result = false;
            break;
        case IDNO: break;
        default: result = false; break;
        }
    }
    if (result)
        SaveWindowLayout();
    return result;
}

void TzkForm::Activate()
{
    if (FOwnerForm && zkMainForm) {
        QString text;
        if (const TdmSQLServer *session = FOwnerForm->dmSQLServer) {
            const QString server = session->Server();
            const QString login = FOwnerForm->IsAzure ? FOwnerForm->g_UserID : session->Login();
            text = FOwnerForm->IsAzure ? (login + QStringLiteral(" @ ") + server).trimmed()
                                       : login.trimmed() + QStringLiteral(" @ ") + server.trimmed();
            text += QLatin1Char('.') + session->DataBase().trimmed();
        }
        QComboBox *combo = zkMainForm->cmbDBName();
        combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
        zkMainForm->MenuUpdate();
    }
    if (TzkTaskBar *bar = taskBar()) {
        const int index = bar->IndexOfTag(m_formID);
        if (index >= 0)
            bar->setCurrentIndex(index);
        bar->update();
    }
}

bool TzkForm::FormKeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Alt) {
        if (auto *editor = dynamic_cast<IzkAltKeyEditor *>(QApplication::focusWidget()))
            editor->SetKeyDownAltKey(true);
        return false;
    }
    if ((key == Qt::Key_PageUp || key == Qt::Key_PageDown) && (event->modifiers() & Qt::ControlModifier)) {
        if (FPageControl && FPageControl->count() > 1) {
            QTabBar *bar = FPageControl->tabBar();
            bar->setFocus();
            const int arrow = key == Qt::Key_PageUp ? Qt::Key_Left : Qt::Key_Right;
            QCoreApplication::postEvent(bar, new QKeyEvent(QEvent::KeyPress, arrow, Qt::NoModifier));
            QCoreApplication::postEvent(bar, new QKeyEvent(QEvent::KeyRelease, arrow, Qt::NoModifier));
        }
        // Consumed even without pages: no control ever sees Ctrl+PgUp/PgDn.
        return true;
    }
    return false;
}

bool TzkForm::FormKeyUp(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Alt)
        if (auto *editor = dynamic_cast<IzkAltKeyEditor *>(QApplication::focusWidget()))
            editor->SetKeyDownAltKey(false);
    return false;
}

void TzkForm::watchKeys(QWidget *widget)
{
    widget->installEventFilter(this);
    const QList<QWidget *> children = widget->findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);
}

bool TzkForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        // Controls made later (frames, run-time columns) are watched too.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watchKeys(static_cast<QWidget *>(child));
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // Only where the key arrives first: a key the control ignores goes
        // on to its parents, which are watched as well.
        QWidget *focus = QApplication::focusWidget();
        if (watched != focus && !(watched == this && (!focus || !isAncestorOf(focus))))
            break;
        auto *key = static_cast<QKeyEvent *>(event);
        const bool consumed = event->type() == QEvent::KeyPress ? FormKeyDown(key) : FormKeyUp(key);
        if (consumed) {
            event->accept();
            return true;
        }
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

bool TzkForm::event(QEvent *event)
{
    switch (int(event->type())) {
    case WM_DBCHANGE: DBChange(); return true;
    case WM_RELOAD: Reload(); return true;
    case ZK_FORMACTIVATE: Activate(); return true;
    case QEvent::WindowActivate:
        // A dialog or tool window of its own; an MDI child hears of its
        // activation from the main window.
        if (!MDIFrame())
            Activate();
        break;
    case QEvent::WindowTitleChange: {
        const int index = TaskTabIndex();
        if (index >= 0)
            taskBar()->setTabToolTip(index, windowTitle());
        break;
    }
    default: break;
    }
    return QDialog::event(event);
}

void TzkForm::closeEvent(QCloseEvent *event)
{
    // A failure here (a compile that raised) is shown and keeps the form
    // open; it must not unwind through the close itself, which would leave
    // the window unable to close again.
    QMdiSubWindow *frame = MDIFrame();
    TCloseAction action = caFree;
    try {
        if (!CloseQuery()) {
            event->ignore();
            return;
        }
        FormClose(action);
    } catch (const std::exception &e) {
        event->ignore();
        TzkApplication::HandleException(e);
        return;
    }
    switch (action) {
    case caNone: event->ignore(); return;
    case caMinimize:
        event->ignore();
        if (frame)
            frame->showMinimized();
        else
            showMinimized();
        return;
    case caHide:
        event->ignore();
        if (frame)
            frame->hide();
        else
            QDialog::closeEvent(event);
        return;
    case caFree: break;
    }
    if (frame) {
        event->accept();
        // Closed from inside (a close command): the frame goes too, and its
        // own close does not ask again.
        frame->close();
    } else if (isModal()) {
        // The caller of ShowModal owns a modal form. The question has been
        // asked: the dialog's reject must not ask again.
        m_closeQueried = true;
        QDialog::closeEvent(event);
        m_closeQueried = false;
    } else {
        setAttribute(Qt::WA_DeleteOnClose);
        QDialog::closeEvent(event);
    }
}

void TzkForm::reject()
{
    // Esc or a cancel button of a dialog closes it like its close box.
    if (!m_closeQueried) {
        try {
            if (!CloseQuery())
                return;
        } catch (const std::exception &e) {
            TzkApplication::HandleException(e);
            return;
        }
    }
    QDialog::reject();
}

void TzkForm::keyPressEvent(QKeyEvent *event)
{
    // An MDI child is no dialog: Esc and Enter mean nothing to the form.
    if (MDIFrame())
        QWidget::keyPressEvent(event);
    else
        QDialog::keyPressEvent(event);
}

// --- TzkConnectionComboBox ----------------------------------------------------

namespace {
class ConnectionItemDelegate : public QStyledItemDelegate
{
public:
    explicit ConnectionItemDelegate(TzkConnectionComboBox *combo)
        : QStyledItemDelegate(combo)
        , m_combo(combo)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        m_combo->DrawItemAt(index.row(), painter, option.rect);
        painter->restore();
    }

private:
    TzkConnectionComboBox *m_combo;
};
} // namespace

TzkConnectionComboBox::TzkConnectionComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setItemDelegate(new ConnectionItemDelegate(this));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void TzkConnectionComboBox::DrawItemAt(int index, QPainter *painter, const QRect &rect) const
{
    if (m_draw)
        m_draw(this, index, painter, rect);
    else
        TzkForm::ConnectionComboBoxDrawItem(this, index, painter, rect);
}

void TzkConnectionComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItemAt(currentIndex(), &painter, field);
}
