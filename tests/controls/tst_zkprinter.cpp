#include "printtest.h"

#include <QPainter>

namespace {

using PrinterGeometry = PrintTest;

TEST_F(PrinterGeometry, ConvertsAt600Dpi)
{
    EXPECT_EQ(zkPrinter.DPI(), QSize(600, 600));
    EXPECT_EQ(zkPrinter.MMToDPIX(10), 236);
    EXPECT_EQ(zkPrinter.MMToDPIY(10), 236);
    EXPECT_NEAR(zkPrinter.DPIXToMM(236), 9.99, 0.005);
    EXPECT_DOUBLE_EQ(zkPrinter.ScreenToPrinterRate(), 6.25);
    EXPECT_DOUBLE_EQ(zkPrinter.PrinterToScreenRate(), 0.16);
    // A4 in dots, the 4 mm unprintable margins on every side (Qt gives the
    // device's rectangles in whole points).
    EXPECT_NEAR(zkPrinter.PaperSize().width(), 4961, 4);
    EXPECT_NEAR(zkPrinter.PaperSize().height(), 7016, 4);
    EXPECT_NEAR(zkPrinter.LeftMargin(), 94, 3);
    EXPECT_NEAR(zkPrinter.BottomMargin(), 94, 3);
    EXPECT_NEAR(zkPrinter.MMLeftMargin(), 4, 0.15);
    EXPECT_EQ(zkPrinter.PrintableSize().width(),
              zkPrinter.PaperSize().width() - zkPrinter.LeftMargin() - zkPrinter.RightMargin());
    EXPECT_EQ(zkPrinter.ScaleFactor(), 100);
    EXPECT_DOUBLE_EQ(zkPrinter.ScaledPaperSize().width(), zkPrinter.MMPaperSize().width());
}

TEST_F(PrinterGeometry, UnprintableMarginWinsOverANarrowerWish)
{
    const int paper = zkPrinter.PaperSize().width();
    // Left: 4 mm unprintable beats 2 mm; right: 10 mm beats 4 mm.
    EXPECT_EQ(zkPrinter.GetPrintableWidth(2, 10), paper - zkPrinter.LeftMargin() - zkPrinter.MMToDPIX(10));
    EXPECT_GT(zkPrinter.LeftMargin(), zkPrinter.MMToDPIX(2));
    EXPECT_EQ(zkPrinter.GetPrintableHeight(0, 0), zkPrinter.PrintableSize().height());
}

TEST_F(PrinterGeometry, ValuesAreZeroUntilTheFirstRefresh)
{
    TzkPrinter fresh;
    EXPECT_EQ(fresh.DPI(), QSize(0, 0));
    EXPECT_EQ(fresh.MaxCopies(), 0);
    EXPECT_EQ(fresh.DPIXToMM(236), 0.0);
    EXPECT_EQ(fresh.DPIYToMM(236), 0.0);
    EXPECT_EQ(fresh.PrinterToScreenRate(), 0.0);
}

TEST_F(PrinterGeometry, CopySupportAndItsLimit)
{
    EXPECT_FALSE(zkPrinter.SupportCopies());
    EXPECT_FALSE(zkPrinter.SupportCollate());
    EXPECT_EQ(zkPrinter.MaxCopies(), 999);
    fake->copies = true;
    zkPrinter.Refresh();
    EXPECT_TRUE(zkPrinter.SupportCopies());
    EXPECT_EQ(zkPrinter.MaxCopies(), 999);
}

TEST_F(PrinterGeometry, ChangingThePrinterDropsCopiesAndCollation)
{
    const bool defaultCollate = zkPrinter.Printer()->collateCopies();
    zkPrinter.BeginSetting();
    ASSERT_NE(zkPrinter.PDev, nullptr);
    zkPrinter.PDev->Copies = 3;
    zkPrinter.PDev->Collate = !defaultCollate;
    zkPrinter.EndSetting();
    EXPECT_EQ(zkPrinter.PDev, nullptr);
    EXPECT_EQ(zkPrinter.Printer()->copyCount(), 3);
    EXPECT_EQ(zkPrinter.Printer()->collateCopies(), !defaultCollate);

    zkPrinter.SetPrinterIndex(0); // the same printer keeps its settings
    EXPECT_EQ(zkPrinter.Printer()->copyCount(), 3);
    zkPrinter.SetPrinterIndex(1);
    EXPECT_EQ(zkPrinter.PrinterIndex(), 1);
    EXPECT_EQ(zkPrinter.Printer()->copyCount(), 1);
    EXPECT_EQ(zkPrinter.Printer()->collateCopies(), defaultCollate);
}

TEST_F(PrinterGeometry, LandscapeTurnsThePaperAndItsMargins)
{
    const QSize portrait = zkPrinter.PaperSize();
    zkPrinter.SetOrientation(poLandscape);
    zkPrinter.Refresh();
    EXPECT_EQ(zkPrinter.Orientation(), poLandscape);
    EXPECT_EQ(zkPrinter.PaperSize(), portrait.transposed());
    EXPECT_NEAR(zkPrinter.TopMargin(), 94, 3);
    EXPECT_NEAR(zkPrinter.RightMargin(), 94, 3);
}

// --- Recorder --------------------------------------------------------------------

QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Exception &e) {
        return e.message();
    }
    return QString();
}

using PageRecorder = PrintTest;

TEST_F(PageRecorder, BeginAndEndGiveOneEmptyPage)
{
    TzkPrintdata data;
    EXPECT_EQ(data.PageCount(), 0);
    data.BeginDoc();
    EXPECT_EQ(data.PageCount(), 1);
    data.EndDoc();
    ASSERT_EQ(data.PageCount(), 1);
    EXPECT_TRUE(data.Pages(0).Ops().isEmpty());
    // A new recording drops the old pages.
    data.BeginDoc();
    data.NewPage();
    data.NewPage();
    data.EndDoc();
    EXPECT_EQ(data.PageCount(), 3);
}

TEST_F(PageRecorder, CallsInTheWrongStateRaise)
{
    TzkPrintdata data;
    const QString notStarted = QStringLiteral("印刷が開始されていません。");
    EXPECT_EQ(errorOf([&] { data.EndDoc(); }), notStarted);
    EXPECT_EQ(errorOf([&] { data.NewPage(); }), notStarted);
    EXPECT_EQ(errorOf([&] { data.Canvas(); }), notStarted);
    data.BeginDoc();
    EXPECT_EQ(errorOf([&] { data.BeginDoc(); }), QStringLiteral("既に印刷が開始されています。"));
    EXPECT_EQ(errorOf([&] { data.Pages(0); }), QStringLiteral("印刷が完了していません。"));
    EXPECT_EQ(data.PageCount(), 1); // the failed calls changed nothing
    data.EndDoc();
    EXPECT_EQ(errorOf([&] { data.Pages(1); }), QStringLiteral("リストのインデックスが範囲を超えています (1)"));
    EXPECT_EQ(errorOf([&] { data.Pages(-1); }), QStringLiteral("リストのインデックスが範囲を超えています (-1)"));
}

TEST_F(PageRecorder, FontPenAndBrushCarryOverToTheNextPage)
{
    TzkPrintdata data;
    data.BeginDoc();
    TzkPrintCanvas *canvas = data.Canvas();
    // The canvas starts at 9 points of the printer's resolution.
    EXPECT_EQ(canvas->Font().pixelSize(), 75);
    canvas->SetFontNameSize(QStringLiteral("ＭＳ ゴシック"), 12);
    canvas->Pen = QPen(Qt::red, 3);
    canvas->Brush = QBrush(Qt::blue);
    data.NewPage();
    EXPECT_NE(data.Canvas(), canvas);
    EXPECT_EQ(data.Canvas()->Font().pixelSize(), 100);
    EXPECT_EQ(data.Canvas()->Font().family(), QStringLiteral("Noto Sans Mono CJK JP"));
    EXPECT_EQ(data.Canvas()->Pen, QPen(Qt::red, 3));
    EXPECT_EQ(data.Canvas()->Brush, QBrush(Qt::blue));
    data.EndDoc();
}

TEST_F(PageRecorder, PagesReplayUnclippedAtTheirOffset)
{
    TzkPrintdata data;
    data.BeginDoc();
    data.Canvas()->Brush = QBrush(Qt::black);
    data.Canvas()->FillRect(QRectF(-10, -10, 5, 5)); // above and left of the origin
    data.EndDoc();
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(QRect(20, 20, 20, 20));
    data.Pages(0).Draw(painter, QPointF(20, 20));
    painter.end();
    EXPECT_EQ(image.pixelColor(12, 12), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white));
}

} // namespace
