#pragma once

// What the table and column pickers share.

#include "core/zkimagelist.h"
#include "core/zkwindows.h"

#include <QWidget>

namespace pickers {

// The main window's image list; null without a main window.
inline const TzkImageList *MainImages()
{
    return zkMainForm ? zkMainForm->imgMain() : nullptr;
}

// The window state as the layout stores it: 0 normal, 1 minimised, 2 maximised.
inline int StoredWindowState(const QWidget *form)
{
    if (form->windowState() & Qt::WindowMinimized)
        return 1;
    if (form->windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}

} // namespace pickers
