#include "controls/zkprinter.h"

#include "platform/fonts/fontmap.h"

#include "core/zksub.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextOption>

#include <algorithm>
#include <cmath>

TzkPrinter zkPrinter;

// --- TzkPrinterBackend ---------------------------------------------------------------

TzkPrinterBackend::~TzkPrinterBackend() = default;

QStringList TzkPrinterBackend::PrinterNames() const
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.append(QStringLiteral("PDF"));
    return names;
}

int TzkPrinterBackend::DefaultIndex() const
{
    const int index = PrinterNames().indexOf(QPrinterInfo::defaultPrinterName());
    return std::max(index, 0);
}

int TzkPrinterBackend::PrinterIndex()
{
    if (!m_printer)
        SelectPrinter(DefaultIndex());
    return m_index;
}

void TzkPrinterBackend::SelectPrinter(int index)
{
    const int count = int(PrinterNames().size());
    if (index < 0 || index >= count)
        throw EListError(index);
    m_printer = CreatePrinter(index);
    m_index = index;
    ApplyMinimumMargins();
}

QPrinter *TzkPrinterBackend::Printer()
{
    PrinterIndex();
    return m_printer.get();
}

void TzkPrinterBackend::ApplyMinimumMargins()
{
    if (m_printer)
        m_printer->setPageMargins(MinimumMargins(*m_printer), QPageLayout::Millimeter);
}

bool TzkPrinterBackend::SupportsCopies(QPrinter &printer) const
{
    return printer.supportsMultipleCopies();
}

bool TzkPrinterBackend::PrepareOutput(QPrinter &printer, const QString &title)
{
    if (printer.outputFormat() != QPrinter::PdfFormat)
        return true;
    QString name = title;
    for (QChar &c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    const QString file = QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("PDFファイルに印刷"),
                                                      QDir(OutputPath).filePath(name + QStringLiteral(".pdf")),
                                                      QStringLiteral("PDFファイル (*.pdf)"));
    if (file.isEmpty())
        return false;
    printer.setOutputFileName(file);
    return true;
}

std::unique_ptr<QPrinter> TzkPrinterBackend::CreatePrinter(int index) const
{
    if (IsPdf(index)) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        return printer;
    }
    return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(PrinterNames().at(index)), QPrinter::HighResolution);
}

QMarginsF TzkPrinterBackend::MinimumMargins(QPrinter &printer) const
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    return layout.minimumMargins();
}

// --- TzkPrinter --------------------------------------------------------------------------

TzkPrinterBackend *TzkPrinter::Backend()
{
    if (!m_backend) {
        m_backend = std::make_unique<TzkPrinterBackend>();
        // A Qt printer must not outlive the application object.
        static bool routineAdded = false;
        if (!routineAdded) {
            routineAdded = true;
            qAddPostRoutine([] { zkPrinter.m_backend.reset(); });
        }
    }
    return m_backend.get();
}

void TzkPrinter::SetBackend(std::unique_ptr<TzkPrinterBackend> backend)
{
    m_backend = std::move(backend);
    Backend();
}

QPrinter *TzkPrinter::Printer()
{
    return Backend()->Printer();
}

QStringList TzkPrinter::Printers()
{
    return Backend()->PrinterNames();
}

int TzkPrinter::PrinterIndex()
{
    return Backend()->PrinterIndex();
}

void TzkPrinter::SetPrinterIndex(int Value)
{
    if (Value == PrinterIndex())
        return;
    Backend()->SelectPrinter(Value);
}

TPrinterOrientation TzkPrinter::Orientation()
{
    return Printer()->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
}

void TzkPrinter::SetOrientation(TPrinterOrientation Value)
{
    Printer()->setPageOrientation(Value == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The unprintable margins turn with the paper.
    Backend()->ApplyMinimumMargins();
}

void TzkPrinter::BeginSetting()
{
    QPrinter *printer = Printer();
    m_devMode.Copies = printer->copyCount();
    m_devMode.Collate = printer->collateCopies();
    PDev = &m_devMode;
}

void TzkPrinter::EndSetting()
{
    if (!PDev)
        return;
    QPrinter *printer = Printer();
    printer->setCopyCount(std::max(1, m_devMode.Copies));
    printer->setCollateCopies(m_devMode.Collate);
    PDev = nullptr;
}

void TzkPrinter::Refresh()
{
    QPrinter *printer = Printer();
    const int resolution = printer->resolution();
    FDPI = QSize(printer->logicalDpiX(), printer->logicalDpiY());
    const QPageLayout layout = printer->pageLayout();
    const QRect paper = layout.fullRectPixels(resolution);
    const QRect printable = layout.paintRectPixels(resolution);
    FPrintableSize = printable.size();
    FMMPrintableSize = QSizeF(DPIXToMM(FPrintableSize.width()), DPIYToMM(FPrintableSize.height()));
    FPaperSize = paper.size();
    FMMPaperSize = QSizeF(DPIXToMM(FPaperSize.width()), DPIYToMM(FPaperSize.height()));
    FLeftMargin = printable.left() - paper.left();
    FTopMargin = printable.top() - paper.top();
    FRightMargin = FPaperSize.width() - FPrintableSize.width() - FLeftMargin;
    FBottomMargin = FPaperSize.height() - FPrintableSize.height() - FTopMargin;
    FMMLeftMargin = DPIXToMM(FLeftMargin);
    FMMRightMargin = DPIXToMM(FRightMargin);
    FMMTopMargin = DPIYToMM(FTopMargin);
    FMMBottomMargin = DPIYToMM(FBottomMargin);
    // Qt tells no scale, no collation and no copy limit.
    FScaleFactor = 100;
    const double scale = FScaleFactor / 100.0;
    FScaledPrintableSize = FMMPrintableSize * scale;
    FScaledPaperSize = FMMPaperSize * scale;
    FScaledLeftMargin = FMMLeftMargin * scale;
    FScaledTopMargin = FMMTopMargin * scale;
    FScaledRightMargin = FMMRightMargin * scale;
    FScaledBottomMargin = FMMBottomMargin * scale;
    FSupportColor = printer->colorMode() == QPrinter::Color;
    FSupportCollate = false;
    FSupportCopies = Backend()->SupportsCopies(*printer);
    FMaxCopies = 999;
}

int TzkPrinter::MMToDPIX(double MMValue) const
{
    // The current rounding mode takes halves to the even neighbour.
    return int(std::nearbyint(MMValue * FDPI.width() / 25.4));
}

int TzkPrinter::MMToDPIY(double MMValue) const
{
    return int(std::nearbyint(MMValue * FDPI.height() / 25.4));
}

double TzkPrinter::DPIXToMM(int DPIValue) const
{
    return FDPI.width() == 0 ? 0.0 : DPIValue / double(FDPI.width()) * 25.4;
}

double TzkPrinter::DPIYToMM(int DPIValue) const
{
    return FDPI.height() == 0 ? 0.0 : DPIValue / double(FDPI.height()) * 25.4;
}

double TzkPrinter::ScreenToPrinterRate() const
{
    return FDPI.height() / 96.0;
}

double TzkPrinter::PrinterToScreenRate() const
{
    return FDPI.height() == 0 ? 0.0 : 96.0 / FDPI.height();
}

int TzkPrinter::GetPrintableWidth(double MMLeftMargin, double MMRightMargin) const
{
    return FPaperSize.width() - std::max(MMToDPIX(MMLeftMargin), FLeftMargin)
           - std::max(MMToDPIX(MMRightMargin), FRightMargin);
}

int TzkPrinter::GetPrintableHeight(double MMTopMargin, double MMBottomMargin) const
{
    return FPaperSize.height() - std::max(MMToDPIY(MMTopMargin), FTopMargin)
           - std::max(MMToDPIY(MMBottomMargin), FBottomMargin);
}

qreal TabDistanceFor(qreal dots, const QPaintDevice *device)
{
    const int dpi = device ? device->logicalDpiY() : 96;
    return dpi > 0 ? dots * 96.0 / dpi : dots;
}

// --- TMetafileEx ------------------------------------------------------------------------

void TMetafileEx::Draw(QPainter &painter, const QPointF &at) const
{
    painter.save();
    painter.setClipping(false);
    painter.translate(at);
    for (const TOp &op : m_ops) {
        switch (op.Kind) {
        case okText: {
            painter.setFont(op.Font);
            painter.setPen(op.Pen);
            QTextOption option(Qt::Alignment(op.Align));
            option.setWrapMode(QTextOption::NoWrap);
            if (op.TabStop > 0)
                option.setTabStopDistance(TabDistanceFor(op.TabStop, painter.device()));
            painter.drawText(op.Rect, op.Text, option);
            break;
        }
        case okLine:
            painter.setPen(op.Pen);
            painter.drawLine(op.Line);
            break;
        case okRect:
            painter.setPen(op.Pen);
            painter.setBrush(op.Brush);
            painter.drawRect(op.Rect);
            break;
        case okFill: painter.fillRect(op.Rect, op.Brush); break;
        }
    }
    painter.restore();
}

// --- TzkPrintCanvas ------------------------------------------------------------------------

TzkPrintCanvas::TzkPrintCanvas(TMetafileEx *page, QPaintDevice *reference)
    : Pen(Qt::black)
    , Brush(Qt::white)
    , FPage(page)
    , FReference(reference)
    , FResolution(reference ? reference->logicalDpiY() : 96)
{
    SetFontSize(9);
}

void TzkPrintCanvas::SetFontNameSize(const QString &name, int points)
{
    FFont.setFamily(FontMap::substitute(name));
    SetFontSize(points);
}

void TzkPrintCanvas::SetFontSize(int points)
{
    FFont.setPixelSize(std::max(1, int(std::lround(points * FResolution / 72.0))));
}

QFontMetricsF TzkPrintCanvas::FontMetrics() const
{
    return QFontMetricsF(FFont, FReference);
}

qreal TzkPrintCanvas::TextHeight(const QString &text) const
{
    Q_UNUSED(text)
    // The height of a line of the font, whatever the text.
    return FontMetrics().height();
}

qreal TzkPrintCanvas::TextWidth(const QString &text) const
{
    return FontMetrics().horizontalAdvance(text);
}

void TzkPrintCanvas::TextRect(const QRectF &rect, const QString &text, int align, qreal tabStop)
{
    TMetafileEx::TOp op;
    op.Kind = TMetafileEx::okText;
    op.Rect = rect;
    op.Text = text;
    op.Font = FFont;
    op.Pen = Pen;
    op.Align = align;
    op.TabStop = tabStop;
    FPage->Append(std::move(op));
}

void TzkPrintCanvas::TextOut(qreal x, qreal y, const QString &text)
{
    const QFontMetricsF fm = FontMetrics();
    TextRect(QRectF(x, y, fm.horizontalAdvance(text), fm.height()), text);
}

void TzkPrintCanvas::Line(const QPointF &from, const QPointF &to)
{
    TMetafileEx::TOp op;
    op.Kind = TMetafileEx::okLine;
    op.Line = QLineF(from, to);
    op.Pen = Pen;
    FPage->Append(std::move(op));
}

void TzkPrintCanvas::Rectangle(const QRectF &rect)
{
    TMetafileEx::TOp op;
    op.Kind = TMetafileEx::okRect;
    op.Rect = rect;
    op.Pen = Pen;
    op.Brush = Brush;
    FPage->Append(std::move(op));
}

void TzkPrintCanvas::FillRect(const QRectF &rect)
{
    TMetafileEx::TOp op;
    op.Kind = TMetafileEx::okFill;
    op.Rect = rect;
    op.Brush = Brush;
    FPage->Append(std::move(op));
}

// --- TzkPrintdata ----------------------------------------------------------------------------

namespace {
const QString kNotStarted = QStringLiteral("印刷が開始されていません。");
}

TzkPrintdata::TzkPrintdata() = default;
TzkPrintdata::~TzkPrintdata() = default;

void TzkPrintdata::BeginDoc()
{
    if (FPrinting)
        throw TzkPrintdataError(QStringLiteral("既に印刷が開始されています。"));
    FPages.clear();
    FCanvas.reset();
    FPrinting = true;
    NewPage();
}

void TzkPrintdata::NewPage()
{
    if (!FPrinting)
        throw TzkPrintdataError(kNotStarted);
    auto page = std::make_shared<TMetafileEx>();
    auto canvas = std::make_unique<TzkPrintCanvas>(page.get(), zkPrinter.Printer());
    if (FCanvas) {
        canvas->FFont = FCanvas->FFont;
        canvas->Pen = FCanvas->Pen;
        canvas->Brush = FCanvas->Brush;
    }
    FPages.append(page);
    FCanvas = std::move(canvas);
}

void TzkPrintdata::EndDoc()
{
    if (!FPrinting)
        throw TzkPrintdataError(kNotStarted);
    FCanvas.reset();
    FPrinting = false;
}

TzkPrintCanvas *TzkPrintdata::Canvas() const
{
    if (!FPrinting)
        throw TzkPrintdataError(kNotStarted);
    return FCanvas.get();
}

const TMetafileEx &TzkPrintdata::Pages(int Index) const
{
    if (FPrinting)
        throw TzkPrintdataError(QStringLiteral("印刷が完了していません。"));
    if (Index < 0 || Index >= PageCount())
        throw EListError(Index);
    return *FPages.at(Index);
}
