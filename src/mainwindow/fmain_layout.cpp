// The main window's own layout under GUI\MAIN: window state and bounds, the
// bars' visibility, the work space's side and size, and the six tool bars'
// rows and visibility.

#include "mainwindow/fmain.h"

#include "controls/zkcomctrls.h"
#include "core/zkreg.h"
#include "core/zkstsbar.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"

#include <QLayout>
#include <QMdiArea>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtEndian>

#include <algorithm>
#include <map>

namespace {

const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\MAIN");

// The order in which the tool bars are restored and saved.
const char *const kToolBarOrder[] = {"pnlDB", "pnlEdit", "pnlTool", "pnlTool2", "pnlAdmin", "pnlNewObj"};

// Rows of the top bar are 28 pixels apart, the first at 2.
constexpr int kRowHeight = 28;
constexpr int kRowTop = 2;

struct TBuiltInPlace
{
    const char *name;
    int top, left, height, width;
};
const TBuiltInPlace kBuiltIn[] = {
    {"pnlDB", 2, 11, 24, 433},      {"pnlEdit", 2, 457, 24, 105},  {"pnlTool", 30, 11, 24, 72},
    {"pnlTool2", 30, 259, 24, 168}, {"pnlAdmin", 30, 99, 24, 147}, {"pnlNewObj", 58, 11, 24, 216},
};

QByteArray RectBytes(const QRect &r)
{
    QByteArray bytes(16, '\0');
    const qint32 values[] = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<qint32>(values[i], bytes.data() + 4 * i);
    return bytes;
}

} // namespace

int TfrmMain::WorkSpaceSize() const
{
    const QList<int> sizes = m_splWorkSpace->sizes();
    const int index = m_splWorkSpace->indexOf(m_lstWorkSpace);
    if (index >= 0 && index < sizes.size() && sizes.at(index) > 0)
        return sizes.at(index);
    return m_splWorkSpace->orientation() == Qt::Vertical ? m_lstWorkSpace->height() : m_lstWorkSpace->width();
}

void TfrmMain::PlaceWorkSpace(int align, int size)
{
    if (align < 1 || align > 4)
        return;
    m_workSpaceAlign = align;
    const bool vertical = align == 1 || align == 2;
    m_splWorkSpace->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    const bool first = align == 1 || align == 3;
    m_splWorkSpace->insertWidget(first ? 0 : 1, m_lstWorkSpace);
    m_splWorkSpace->setStretchFactor(m_splWorkSpace->indexOf(m_mdiArea), 1);
    m_splWorkSpace->setStretchFactor(m_splWorkSpace->indexOf(m_lstWorkSpace), 0);

    const QWidget *client = centralWidget();
    const int half = (vertical ? client->height() : client->width()) / 2;
    const int extent = std::min(half, std::max(size, 1));
    const int total = std::max(vertical ? m_splWorkSpace->height() : m_splWorkSpace->width(), extent + 1);
    QList<int> sizes = {total - extent, extent};
    if (first)
        std::reverse(sizes.begin(), sizes.end());
    m_splWorkSpace->setSizes(sizes);
}

QWidget *TfrmMain::ToolBarWindow(QToolBar *bar) const
{
    QWidget *host = m_toolBarWindows.value(bar);
    return host && bar->parentWidget() == host ? host : nullptr;
}

bool TfrmMain::ToolBarFloating(QToolBar *bar) const
{
    return ToolBarWindow(bar) || bar->isFloating();
}

void TfrmMain::SetToolBarVisible(QToolBar *bar, bool visible)
{
    if (!bar)
        return;
    bar->setVisible(visible);
    if (QWidget *host = ToolBarWindow(bar))
        host->setVisible(visible);
}

void TfrmMain::FloatToolBar(QToolBar *bar, const QPoint &topLeft)
{
    QWidget *host = ToolBarWindow(bar);
    if (!host) {
        removeToolBarBreak(bar);
        removeToolBar(bar);
        host = new QWidget(this, Qt::Tool);
        host->setObjectName(bar->objectName() + QStringLiteral("Window"));
        host->setWindowTitle(bar->windowTitle());
        host->setAttribute(Qt::WA_DeleteOnClose, false);
        auto *layout = new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(bar);
        // Closing the window hides the bar: its own flag is what is stored.
        host->installEventFilter(this);
        m_toolBarWindows.insert(bar, host);
    }
    bar->show();
    host->adjustSize();
    host->move(topLeft);
    host->show();
}

QRect TfrmMain::ToolBarRect(QToolBar *bar) const
{
    if (QWidget *host = ToolBarWindow(bar))
        return QRect(host->pos(), bar->size());
    if (bar->isFloating())
        return QRect(bar->pos(), bar->size());
    // A hidden bar keeps the place it was given last; a shown one counts
    // its row among the rows in use, so that row and order read back as
    // they were written.
    if (bar->isHidden() && m_toolBarPlaces.contains(bar)) {
        const QPoint place = m_toolBarPlaces.value(bar);
        return QRect(place.x(), kRowTop + kRowHeight * place.y(), bar->width(), bar->height());
    }
    QList<int> rowTops;
    for (QToolBar *other : m_toolBars)
        if (!other->isHidden() && !ToolBarFloating(other) && toolBarArea(other) == Qt::TopToolBarArea)
            rowTops.append(other->y());
    std::sort(rowTops.begin(), rowTops.end());
    rowTops.erase(std::unique(rowTops.begin(), rowTops.end()), rowTops.end());
    const int row = int(rowTops.indexOf(bar->y()));
    return QRect(bar->x(), kRowTop + kRowHeight * std::max(row, 0), bar->width(), bar->height());
}

void TfrmMain::ArrangeToolBars(const QList<std::pair<QToolBar *, QPoint>> &places)
{
    // (row, left) per bar; rows keep their order, empty ones close up.
    std::multimap<std::pair<int, int>, QToolBar *> ordered;
    for (const auto &[bar, place] : places)
        ordered.emplace(std::make_pair(place.y(), place.x()), bar);
    QHash<QToolBar *, bool> hidden;
    for (const auto &[bar, place] : places) {
        hidden.insert(bar, bar->isHidden());
        if (!ToolBarWindow(bar)) {
            removeToolBarBreak(bar);
            removeToolBar(bar);
        }
    }
    int row = -1;
    int rowIndex = -1;
    for (const auto &[key, bar] : ordered) {
        if (row >= 0 && key.first != row)
            addToolBarBreak(Qt::TopToolBarArea);
        if (key.first != row)
            ++rowIndex;
        row = key.first;
        // Takes the bar out of a floating window as well.
        QWidget *host = ToolBarWindow(bar);
        addToolBar(Qt::TopToolBarArea, bar);
        if (host) {
            m_toolBarWindows.remove(bar);
            host->deleteLater();
        }
        bar->setHidden(hidden.value(bar));
        m_toolBarPlaces.insert(bar, QPoint(key.second, rowIndex));
    }
}

bool TfrmMain::LoadToolBarLayout(QToolBar *bar, TzkRegistry &reg, QPoint &place)
{
    const QString name = bar->objectName();
    QRect rect = ToolBarRect(bar);
    const QByteArray bytes = reg.ReadBinary(name + QStringLiteral("Rect"));
    if (bytes.size() == 16) {
        const qint32 left = qFromLittleEndian<qint32>(bytes.constData());
        const qint32 top = qFromLittleEndian<qint32>(bytes.constData() + 4);
        rect.moveTo(left, top);
    }
    const bool visible = reg.GetBool(name + QStringLiteral("Visible"), true);
    if (reg.GetBool(name + QStringLiteral("Float"), false)) {
        FloatToolBar(bar, rect.topLeft());
        SetToolBarVisible(bar, visible);
        return false;
    }
    place = QPoint(rect.left(), std::max(0, rect.top()) / kRowHeight);
    bar->setVisible(visible);
    return true;
}

void TfrmMain::SaveToolBarLayout(QToolBar *bar, TzkRegistry &reg)
{
    const QString name = bar->objectName();
    reg.WriteBinary(name + QStringLiteral("Rect"), RectBytes(ToolBarRect(bar)));
    reg.WriteBool(name + QStringLiteral("Visible"), !bar->isHidden());
    reg.WriteBool(name + QStringLiteral("Float"), ToolBarFloating(bar));
}

void TfrmMain::ResetToolBarPositions()
{
    // One pass: every bar docked again, in the built-in rows and order.
    QList<std::pair<QToolBar *, QPoint>> places;
    for (const TBuiltInPlace &p : kBuiltIn)
        if (QToolBar *bar = ToolBar(QLatin1String(p.name)))
            places.append({bar, QPoint(p.left, p.top / kRowHeight)});
    ArrangeToolBars(places);
    for (QToolBar *bar : m_toolBars)
        bar->setVisible(true);
}

void TfrmMain::LoadLayout()
{
    TzkRegistry reg;
    if (!reg.KeyExists(kLayoutKey) || !reg.OpenKey(kLayoutKey, false))
        return;

    const int state = reg.GetInteger(QStringLiteral("WindowState"), 0);
    if (state == 2) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        // pos() is the frame's and size() the client's: the same pair is saved.
        const int left = reg.GetInteger(QStringLiteral("Left"), x());
        const int top = reg.GetInteger(QStringLiteral("Top"), y());
        const int width = reg.GetInteger(QStringLiteral("Width"), this->width());
        const int height = reg.GetInteger(QStringLiteral("Height"), this->height());
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        resize(std::max(width, 1), std::max(height, 1));
        PlaceForm(this, top, left);
    }

    m_lstWorkSpace->setVisible(reg.GetBool(QStringLiteral("WorkSpace"), true));
    const int style = reg.GetInteger(QStringLiteral("WorkSpaceStyle"), 0);
    m_lstWorkSpace->SetViewStyle(style >= vsIcon && style <= vsReport ? TViewStyle(style) : vsIcon);
    const int align = reg.GetInteger(QStringLiteral("WorkSpaceAlign"), 2);
    m_pnlTaskBar->setVisible(reg.GetBool(QStringLiteral("TaskBar"), true));
    m_stsMain->setVisible(reg.GetBool(QStringLiteral("StatusBar"), true));
    // The stored sizes are measured against the new bounds.
    if (QLayout *l = centralWidget()->layout())
        l->activate();
    if (align >= 1 && align <= 4) {
        const int stored = reg.GetInteger(QStringLiteral("WorkSpaceSize"), WorkSpaceSize());
        PlaceWorkSpace(align, stored < 2 ? 1 : stored);
    }

    QList<std::pair<QToolBar *, QPoint>> places;
    for (const char *name : kToolBarOrder) {
        if (QToolBar *bar = ToolBar(QLatin1String(name))) {
            QPoint place;
            if (LoadToolBarLayout(bar, reg, place))
                places.append({bar, place});
        }
    }
    ArrangeToolBars(places);
    reg.CloseKey();
}

void TfrmMain::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    const Qt::WindowStates states = windowState();
    const int state = states & Qt::WindowMinimized ? 1 : states & Qt::WindowMaximized ? 2 : 0;
    reg.WriteInteger(QStringLiteral("WindowState"), state);
    if (state == 0) {
        reg.WriteInteger(QStringLiteral("Left"), x());
        reg.WriteInteger(QStringLiteral("Top"), y());
        reg.WriteInteger(QStringLiteral("Width"), width());
        reg.WriteInteger(QStringLiteral("Height"), height());
    }
    reg.WriteBool(QStringLiteral("TaskBar"), !m_pnlTaskBar->isHidden());
    reg.WriteBool(QStringLiteral("StatusBar"), !m_stsMain->isHidden());
    reg.WriteBool(QStringLiteral("WorkSpace"), !m_lstWorkSpace->isHidden());
    reg.WriteInteger(QStringLiteral("WorkSpaceStyle"), int(m_lstWorkSpace->ViewStyle()));
    reg.WriteInteger(QStringLiteral("WorkSpaceAlign"), m_workSpaceAlign);
    if (m_workSpaceAlign >= 1 && m_workSpaceAlign <= 4)
        reg.WriteInteger(QStringLiteral("WorkSpaceSize"), WorkSpaceSize());
    for (const char *name : kToolBarOrder)
        if (QToolBar *bar = ToolBar(QLatin1String(name)))
            SaveToolBarLayout(bar, reg);
    reg.CloseKey();
}
