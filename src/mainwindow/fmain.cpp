#include "mainwindow/fmain.h"

#include "core/zkapp.h"

#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(TzkApplication::Title());
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MDIClient"));
    m_mdiArea->setBackground(palette().dark());
    setCentralWidget(m_mdiArea);

    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    QMenu *file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *exit = file->addAction(QStringLiteral("終了(&X)"));
    exit->setObjectName(QStringLiteral("actFileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu *window = bar->addMenu(QStringLiteral("ウィンドウ(&W)"));
    window->setObjectName(QStringLiteral("mnuWindow"));

    statusBar()->setObjectName(QStringLiteral("stsMain"));
    resize(1024, 720);
}

TfrmMain::~TfrmMain()
{
    if (frmMain == this)
        frmMain = nullptr;
}
