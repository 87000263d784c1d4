#pragma once

#include "core/zkoption.h"
#include "platform/rtl/exceptions.h"

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QList>
#include <QMarginsF>
#include <QPen>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QStringList>

#include <memory>

class QPainter;
class QPaintDevice;
class QPrinter;

// --- The printer back end --------------------------------------------------------

// The printers the program can print to and the Qt printer of the selected
// one. The system's printers come first, then "PDF", which writes a file
// asked for when a document starts. Tests replace the back end to give a
// device of known geometry.
class TzkPrinterBackend
{
public:
    virtual ~TzkPrinterBackend();

    virtual QStringList PrinterNames() const;
    // The printer selected at start: the system's default, else the first.
    virtual int DefaultIndex() const;

    // The selected printer; the back end selects DefaultIndex() on first use.
    int PrinterIndex();
    // Selects printer `index` with its default settings: a new Qt printer.
    void SelectPrinter(int index);
    QPrinter *Printer();

    // The page margins become the device's unprintable minimum again, so
    // that the painter's origin is the printable area's corner (after a
    // change of printer, paper or orientation).
    void ApplyMinimumMargins();
    virtual bool SupportsCopies(QPrinter &printer) const;
    // Before a document starts: the PDF entry asks for its file. False when
    // the user cancelled.
    virtual bool PrepareOutput(QPrinter &printer, const QString &title);

protected:
    virtual std::unique_ptr<QPrinter> CreatePrinter(int index) const;
    virtual QMarginsF MinimumMargins(QPrinter &printer) const; // millimetres
    bool IsPdf(int index) const { return index == PrinterNames().size() - 1; }

private:
    std::unique_ptr<QPrinter> m_printer;
    int m_index = -1;
};

// --- The printer ----------------------------------------------------------------

// What printing code changes on the selected printer between BeginSetting
// and EndSetting.
struct TzkDevMode
{
    int Copies = 1;
    bool Collate = false;
};

// The selected printer's capabilities and geometry, in dots and in
// millimetres. Every value is zero until the first Refresh.
class TzkPrinter
{
public:
    // Rereads everything from the selected printer.
    void Refresh();

    QStringList Printers();
    int PrinterIndex();
    // A different printer starts from its default settings.
    void SetPrinterIndex(int Value);
    TPrinterOrientation Orientation();
    void SetOrientation(TPrinterOrientation Value);

    // PDev is valid between the two; EndSetting hands copies and collation
    // to the Qt printer.
    void BeginSetting();
    void EndSetting();
    TzkDevMode *PDev = nullptr;

    int MMToDPIX(double MMValue) const;
    int MMToDPIY(double MMValue) const;
    double DPIXToMM(int DPIValue) const;
    double DPIYToMM(int DPIValue) const;
    double ScreenToPrinterRate() const;
    double PrinterToScreenRate() const;
    // The width between the wanted margins, none narrower than the
    // printer's unprintable margin.
    int GetPrintableWidth(double MMLeftMargin, double MMRightMargin) const;
    int GetPrintableHeight(double MMTopMargin, double MMBottomMargin) const;

    QSize DPI() const { return FDPI; }
    QSize PrintableSize() const { return FPrintableSize; }
    QSize PaperSize() const { return FPaperSize; }
    int LeftMargin() const { return FLeftMargin; }
    int TopMargin() const { return FTopMargin; }
    int RightMargin() const { return FRightMargin; }
    int BottomMargin() const { return FBottomMargin; }
    QSizeF MMPrintableSize() const { return FMMPrintableSize; }
    QSizeF MMPaperSize() const { return FMMPaperSize; }
    double MMLeftMargin() const { return FMMLeftMargin; }
    double MMTopMargin() const { return FMMTopMargin; }
    double MMRightMargin() const { return FMMRightMargin; }
    double MMBottomMargin() const { return FMMBottomMargin; }
    int ScaleFactor() const { return FScaleFactor; }
    QSizeF ScaledPrintableSize() const { return FScaledPrintableSize; }
    QSizeF ScaledPaperSize() const { return FScaledPaperSize; }
    double ScaledLeftMargin() const { return FScaledLeftMargin; }
    double ScaledTopMargin() const { return FScaledTopMargin; }
    double ScaledRightMargin() const { return FScaledRightMargin; }
    double ScaledBottomMargin() const { return FScaledBottomMargin; }
    bool SupportColor() const { return FSupportColor; }
    bool SupportCollate() const { return FSupportCollate; }
    bool SupportCopies() const { return FSupportCopies; }
    int MaxCopies() const { return FMaxCopies; }

    // The Qt printer of the selected printer (its device is the pages'
    // reference device).
    QPrinter *Printer();
    TzkPrinterBackend *Backend();
    // Tests put a back end of their own in place (null: the system's again).
    void SetBackend(std::unique_ptr<TzkPrinterBackend> backend);

private:
    std::unique_ptr<TzkPrinterBackend> m_backend;
    TzkDevMode m_devMode;

    QSize FDPI{0, 0};
    QSize FPrintableSize{0, 0};
    QSize FPaperSize{0, 0};
    int FLeftMargin = 0;
    int FTopMargin = 0;
    int FRightMargin = 0;
    int FBottomMargin = 0;
    QSizeF FMMPrintableSize{0, 0};
    QSizeF FMMPaperSize{0, 0};
    double FMMLeftMargin = 0;
    double FMMTopMargin = 0;
    double FMMRightMargin = 0;
    double FMMBottomMargin = 0;
    int FScaleFactor = 0;
    QSizeF FScaledPrintableSize{0, 0};
    QSizeF FScaledPaperSize{0, 0};
    double FScaledLeftMargin = 0;
    double FScaledTopMargin = 0;
    double FScaledRightMargin = 0;
    double FScaledBottomMargin = 0;
    bool FSupportColor = false;
    bool FSupportCollate = false;
    bool FSupportCopies = false;
    int FMaxCopies = 0;
};

// The one printer object of the process.
extern TzkPrinter zkPrinter;

// Qt scales a layout's tab distance by the resolution of the font's device
// over 96 dpi: the distance that gives `dots` on `device`.
qreal TabDistanceFor(qreal dots, const QPaintDevice *device);

// --- Recorded pages ----------------------------------------------------------------

// One recorded page: drawing operations in printer dots, replayed on the
// printer or on the screen. Replaying never clips, so the title and page
// number bands drawn outside the body stay visible.
class TMetafileEx
{
public:
    enum TOpKind { okText, okLine, okRect, okFill };
    struct TOp
    {
        TOpKind Kind = okText;
        QRectF Rect;
        QLineF Line;
        QString Text;
        QFont Font;
        QPen Pen;
        QBrush Brush;
        int Align = 0;
        qreal TabStop = 0;
    };

    // Draws the page with its origin at `at` (in the painter's coordinates).
    void Draw(QPainter &painter, const QPointF &at) const;
    const QList<TOp> &Ops() const { return m_ops; }
    void Append(TOp op) { m_ops.append(std::move(op)); }

private:
    QList<TOp> m_ops;
};

// The canvas of the page being recorded. Fonts are sized in dots of the
// reference device, so text measured here is the text the printer draws.
class TzkPrintCanvas
{
public:
    TzkPrintCanvas(TMetafileEx *page, QPaintDevice *reference);

    QFont Font() const { return FFont; }
    void SetFont(const QFont &font) { FFont = font; }
    // A stored font name (drawn through the font substitutions) at `points`
    // of the reference device's vertical resolution.
    void SetFontNameSize(const QString &name, int points);
    void SetFontSize(int points);
    QPen Pen;
    QBrush Brush;

    QPaintDevice *Reference() const { return FReference; }
    int FontResolution() const { return FResolution; }
    QFontMetricsF FontMetrics() const;
    qreal TextHeight(const QString &text) const;
    qreal TextWidth(const QString &text) const;

    // One line of text in `rect`, aligned there, tabs at every `tabStop`
    // dots (0: the font's default), never wrapped.
    void TextRect(const QRectF &rect, const QString &text, int align = Qt::AlignLeft | Qt::AlignTop, qreal tabStop = 0);
    void TextOut(qreal x, qreal y, const QString &text);
    void Line(const QPointF &from, const QPointF &to);
    void Rectangle(const QRectF &rect);
    void FillRect(const QRectF &rect);

private:
    friend class TzkPrintdata;
    TMetafileEx *FPage;
    QPaintDevice *FReference;
    int FResolution;
    QFont FFont;
};

// The error of the page recorder.
class TzkPrintdataError : public Exception
{
public:
    using Exception::Exception;
};

// Records pages (BeginDoc, NewPage, EndDoc) and keeps them, to be previewed
// or printed as often as wanted, until the next BeginDoc. Font, pen and
// brush carry over from page to page.
class TzkPrintdata
{
public:
    TzkPrintdata();
    ~TzkPrintdata();

    void BeginDoc();
    void NewPage();
    void EndDoc();
    TzkPrintCanvas *Canvas() const;
    int PageCount() const { return int(FPages.size()); }
    const TMetafileEx &Pages(int Index) const;
    bool Printing() const { return FPrinting; }

private:
    bool FPrinting = false;
    QList<std::shared_ptr<TMetafileEx>> FPages;
    std::unique_ptr<TzkPrintCanvas> FCanvas;
};
