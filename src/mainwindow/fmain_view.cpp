// The View menu's own items: the enabling and check marks when it opens, the
// refresh (F5) and the tool bars' reset.

#include "mainwindow/fmain.h"

#include "controls/zkcomctrls.h"
#include "core/zkforms.h"
#include "core/zkstsbar.h"
#include "core/zksub_dialogs.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fsql.h"
#include "sqlwindow/rMemo.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>

namespace {

template<typename T>
T *ownerOf(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget())
        if (auto *owner = qobject_cast<T *>(w))
            return owner;
    return nullptr;
}

// The Alt+C command of the window holding `focus`: a sent key misses the
// shortcut map, so the target is looked up. True when one ran.
bool runAltC(QWidget *focus)
{
    QWidget *form = ownerOf<TzkForm>(focus);
    if (!form)
        form = focus->window();
    const QKeySequence altC(Qt::ALT | Qt::Key_C);
    for (QAbstractButton *button : form->findChildren<QAbstractButton *>()) {
        if (button->isEnabled() && button->isVisible()
            && (QKeySequence::mnemonic(button->text()) == altC || button->shortcut() == altC)) {
            button->click();
            return true;
        }
    }
    for (QAction *action : form->findChildren<QAction *>()) {
        if (action->isEnabled() && action->isVisible() && action->shortcuts().contains(altC)) {
            action->trigger();
            return true;
        }
    }
    return false;
}

} // namespace

void TfrmMain::mnuDisplayClick()
{
    const bool connected = m_cmbDBName->count() > 0;
    for (const char *name : {"mnuDispList", "mnuDispReport", "mnuReload"})
        if (QAction *item = findChild<QAction *>(QLatin1String(name)))
            item->setEnabled(connected);
    // A bar's own flag: the window may not be on screen yet.
    auto check = [this](const QString &name, bool on) {
        if (QAction *item = findChild<QAction *>(name))
            item->setChecked(on);
    };
    for (QToolBar *bar : m_toolBars)
        check(QStringLiteral("mnuToolbar_") + bar->objectName(), !bar->isHidden());
    check(QStringLiteral("mnuWorkSpace"), !m_lstWorkSpace->isHidden());
    check(QStringLiteral("mnuTaskBar"), !m_pnlTaskBar->isHidden());
    check(QStringLiteral("mnuStsbar"), !m_stsMain->isHidden());
}

void TfrmMain::mnuReloadClick(bool fromKey)
{
    QWidget *focus = QApplication::focusWidget();
    if (fromKey && focus && qobject_cast<TzkMemo *>(focus)) {
        // F5 in an editor is its window's run, not a refresh.
        if (ownerOf<TfraMemo>(focus)) {
            if (TfrmSQL *sql = ownerOf<TfrmSQL>(focus)) {
                if (sql->actExecEnabled())
                    sql->actExecExecute();
                return;
            }
        }
        runAltC(focus);
        return;
    }
    if (QMdiSubWindow *w = m_mdiArea->activeSubWindow())
        SendFormMessage(w->widget(), WM_RELOAD);
}

void TfrmMain::mnuToolbarResetClick()
{
    if (ShowAppMessage(QStringLiteral("ツールバーの位置を初期化します。よろしいですか？"),
                       MB_YESNO | MB_ICONINFORMATION)
        == IDYES)
        ResetToolBarPositions();
}
