#include "controls/fpreview.h"

#include "controls/fprint.h"
#include "controls/zkprinter.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkwindows.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <algorithm>
#include <cmath>
#include <memory>

TfrmPreview::TfrmPreview(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    setProperty("HelpContext", 20500);
    TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    if (images)
        setWindowIcon(images->Icon(99));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tolCmd = new QToolBar(this);
    tolCmd->setObjectName(QStringLiteral("tolCmd"));
    tolCmd->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(tolCmd);
    scrPreview = new QScrollArea(this);
    scrPreview->setObjectName(QStringLiteral("scrPreview"));
    scrPreview->setAlignment(Qt::AlignCenter);
    imgPreview = new QLabel;
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    scrPreview->setWidget(imgPreview);
    layout->addWidget(scrPreview, 1);

    struct Spec
    {
        QAction **field;
        const char *name;
        const char *caption;
        int image;
        const char *hint;
    };
    const Spec specs[] = {
        {&actPrint, "actPrint", "印刷(&P)", 98, "印刷|ダイアグラムを印刷します。"},
        {&actPrevPage, "actPrevPage", "前頁(&R)", 32, "前頁|前のページを表示します。"},
        {&actNextPage, "actNextPage", "次頁(&N)", 33, "次頁|次のページを表示します。"},
        {&actZoomUp, "actZoomUp", "拡大(&U)", 100, "拡大|印刷イメージを拡大します。"},
        {&actZoomDown, "actZoomDown", "縮小(&D)", 101, "縮小|印刷イメージを縮小します。"},
        {&actExit, "actExit", "終了(&X)", 42, "終了|プレビュー画面を閉じます。"},
    };
    for (const Spec &s : specs) {
        auto *action = new QAction(QString::fromUtf8(s.caption), this);
        action->setObjectName(QLatin1String(s.name));
        const QString hint = QString::fromUtf8(s.hint);
        action->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
        action->setStatusTip(hint.section(QLatin1Char('|'), 1));
        if (images)
            action->setIcon(images->Icon(s.image));
        tolCmd->addAction(action);
        *s.field = action;
    }
    connect(actPrint, &QAction::triggered, this, &QDialog::accept);
    connect(actExit, &QAction::triggered, this, &QDialog::reject);
    connect(actPrevPage, &QAction::triggered, this, [this] {
        if (FPage > 1) {
            --FPage;
            ShowPage();
        }
    });
    connect(actNextPage, &QAction::triggered, this, [this] {
        if (FPage < PrintData().PageCount()) {
            ++FPage;
            ShowPage();
        }
    });
    connect(actZoomUp, &QAction::triggered, this, [this] {
        if (FRate < 2) {
            FRate += 0.25;
            ShowPage();
        }
    });
    connect(actZoomDown, &QAction::triggered, this, [this] {
        if (FRate > 0.5) {
            FRate -= 0.25;
            ShowPage();
        }
    });
}

TfrmPreview::~TfrmPreview() = default;

void TfrmPreview::UpdateActions()
{
    actPrevPage->setEnabled(FPage > 1);
    actNextPage->setEnabled(FPage < PrintData().PageCount());
    actZoomUp->setEnabled(FRate < 2);
    actZoomDown->setEnabled(FRate > 0.5);
}

void TfrmPreview::ShowPage()
{
    imgPreview->clear();
    zkPrinter.Refresh();
    const QPointF at(std::max(zkPrinter.MMToDPIX(zkPrintOption.MMLeftMargin), zkPrinter.LeftMargin()),
                     std::max(zkPrinter.MMToDPIY(zkPrintOption.MMTopMargin), zkPrinter.TopMargin()));
    const QSize paper = zkPrinter.PaperSize();
    // At zoom 1 the paper has its size on the screen.
    const double scale = zkPrinter.PrinterToScreenRate() * FRate;
    const QSize size(int(std::lround((paper.width() + 150) * scale)), int(std::lround((paper.height() + 150) * scale)));
    QPixmap picture(size.expandedTo(QSize(1, 1)));
    picture.fill(palette().color(QPalette::Button));
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        painter.fillRect(QRectF(QPointF(100, 100), QSizeF(paper)), QColor(128, 128, 128));
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(QPointF(50, 50), QSizeF(paper)));
        TzkPrintdata &data = PrintData();
        if (FPage >= 1 && FPage <= data.PageCount() && !data.Printing())
            data.Pages(FPage - 1).Draw(painter, at + QPointF(50, 50));
    }
    imgPreview->setPixmap(picture);
    imgPreview->resize(picture.size());
    UpdateActions();
}

bool TfrmPreview::event(QEvent *e)
{
    if (e->type() == QEvent::EnterWhatsThisMode) {
        QWhatsThis::leaveWhatsThisMode();
        if (PrintHelpHook)
            PrintHelpHook(this, 20500);
        return true;
    }
    return QDialog::event(e);
}

void TfrmPreview::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (m_shown)
        return;
    m_shown = true;
    for (QAction *action : tolCmd->actions())
        if (QWidget *button = tolCmd->widgetForAction(action))
            button->setFixedWidth(78);
}

bool TfrmPreview::ShowWindow()
{
    QMainWindow *main = zkMainForm ? zkMainForm->Window() : nullptr;
    // Parented to the main window: hidden meanwhile, it must not count as
    // the application's last window when the preview closes.
    std::unique_ptr<TfrmPreview> preview(new TfrmPreview(main));
    struct ShowMain
    {
        QMainWindow *main;
        ~ShowMain()
        {
            if (main)
                main->show();
        }
    } showMain{main};
    preview->ShowPage();
    if (main) {
        preview->setGeometry(main->geometry());
        preview->setWindowState(main->windowState());
        main->hide();
    } else {
        preview->resize(900, 700);
    }
    return preview->exec() == QDialog::Accepted;
}
