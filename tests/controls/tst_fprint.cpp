#include "printtest.h"

#include "controls/fpreview.h"
#include "controls/zkstdctl.h"
#include "core/modal.h"
#include "core/zksub_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>

namespace {

// --- Reading what was recorded and printed ------------------------------------------

double bodyHeight()
{
    return zkPrinter.GetPrintableHeight(zkPrintOption.MMTopMargin, zkPrintOption.MMBottomMargin);
}

// The texts drawn on a page: above the body (title), in it, below it (number).
struct PageTexts
{
    QStringList above, body, below;
};

PageTexts textsOf(int page)
{
    PageTexts t;
    for (const TMetafileEx::TOp &op : PrintData().Pages(page).Ops()) {
        if (op.Kind != TMetafileEx::okText)
            continue;
        if (op.Rect.top() < 0)
            t.above << op.Text;
        else if (op.Rect.top() >= bodyHeight())
            t.below << op.Text;
        else
            t.body << op.Text;
    }
    return t;
}

void record(const QList<QPair<QStringList, bool>> &texts, const QString &title = QStringLiteral("db.dbo.T"))
{
    TfrmPrint::BeginPrint();
    for (const auto &text : texts)
        TfrmPrint::PrintSource(title, text.first, text.second);
    TfrmPrint::EndPrint();
}

// The number of body lines a page holds at the current options.
int linesPerPage()
{
    TzkPrintdata probe;
    probe.BeginDoc();
    probe.Canvas()->SetFontNameSize(zkPrintOption.FontName, zkPrintOption.FontSize);
    const qreal spacing = probe.Canvas()->FontMetrics().lineSpacing();
    probe.EndDoc();
    return int((bodyHeight() + 1e-6) / spacing);
}

QStringList numbered(int from, int count)
{
    QStringList lines;
    for (int i = from; i < from + count; ++i)
        lines << QStringLiteral("L%1").arg(i, 4, 10, QLatin1Char('0'));
    return lines;
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of each page of a PDF.
QStringList pdfPages(const QString &file)
{
    QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// Which recorded page each printed page is: its first "Lnnnn" line / lines per page.
QList<int> printedOrder(const QString &file, int perPage)
{
    QList<int> order;
    static const QRegularExpression line(QStringLiteral("L(\\d{4})"));
    for (const QString &page : pdfPages(file)) {
        const QRegularExpressionMatch m = line.match(page);
        order << (m.hasMatch() ? m.captured(1).toInt() / perPage : -1);
    }
    return order;
}

// The leftmost dark column of page 1 of the PDF, rendered at 150 dpi.
int leftInk(const QString &file, const QString &prefix)
{
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"),
         QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), file, prefix});
    QImage image(prefix + QStringLiteral("-1.pgm"));
    int left = -1;
    for (int x = 0; x < image.width() && left < 0; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                left = x;
                break;
            }
    return left;
}

// --- Layout ------------------------------------------------------------------------------

using SourceLayout = PrintTest;

TEST_F(SourceLayout, ShortTextIsOnePageWithTitleAndNumber)
{
    record(
        {{{QStringLiteral("CREATE TABLE dbo.T ("), QStringLiteral("  ID int NOT NULL"), QStringLiteral(")")}, true}});
    ASSERT_EQ(PrintData().PageCount(), 1);
    const PageTexts t = textsOf(0);
    EXPECT_EQ(t.above, QStringList{QStringLiteral("db.dbo.T")});
    EXPECT_EQ(t.below, QStringList{QStringLiteral("1")});
    EXPECT_EQ(t.body, (QStringList{QStringLiteral("CREATE TABLE dbo.T ("), QStringLiteral("  ID int NOT NULL"),
                                   QStringLiteral(")")}));
    // Printed, the page shows the three.
    SendPagesToPrinter(TzkPrintJob{QStringLiteral("db.dbo.T")});
    const QStringList pages = pdfPages(fake->file);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("db.dbo.T"))) << pages[0].toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("ID int NOT NULL")));
    EXPECT_TRUE(pages[0].trimmed().endsWith(QStringLiteral("1")));
}

TEST_F(SourceLayout, EmptyTextLeavesOneEmptyPage)
{
    record({{{}, true}});
    ASSERT_EQ(PrintData().PageCount(), 1);
    EXPECT_TRUE(PrintData().Pages(0).Ops().isEmpty());
}

TEST_F(SourceLayout, TextThatFillsTheBodyStaysOnItsPage)
{
    const int n = linesPerPage();
    ASSERT_GT(n, 10);
    record({{numbered(0, n), true}});
    EXPECT_EQ(PrintData().PageCount(), 1);
    record({{numbered(0, n + 1), true}});
    ASSERT_EQ(PrintData().PageCount(), 2);
    EXPECT_EQ(textsOf(1).body, QStringList{QStringLiteral("L%1").arg(n, 4, 10, QLatin1Char('0'))});
    EXPECT_EQ(textsOf(1).below, QStringList{QStringLiteral("2")});
}

TEST_F(SourceLayout, LongLineSplitsOverThePageEnd)
{
    const int n = linesPerPage();
    QString word;
    for (int i = 0; i < 400; ++i)
        word += QStringLiteral("項目%1 ").arg(i);
    QStringList source = numbered(0, n - 1);
    source << word << QStringLiteral("END");
    record({{source, true}});
    ASSERT_EQ(PrintData().PageCount(), 2);
    const PageTexts first = textsOf(0);
    const PageTexts second = textsOf(1);
    EXPECT_EQ(first.body.size(), n);
    // Nothing lost, nothing doubled: the long line continues at the top of
    // page 2 without a line break of its own.
    const QStringList tail = first.body.mid(n - 1) + second.body.mid(0, second.body.size() - 1);
    EXPECT_EQ(tail.join(QString()), word);
    EXPECT_EQ(second.body.last(), QStringLiteral("END"));
}

TEST_F(SourceLayout, LineLongerThanSeveralPagesIsNotCutOff)
{
    zkPrintOption.MMTopMargin = 120;
    zkPrintOption.MMBottomMargin = 120;
    const QString line = QString(30000, QLatin1Char('x')) + QStringLiteral("😀end");
    record({{{line}, true}});
    ASSERT_GT(PrintData().PageCount(), 2);
    QString printed;
    for (int i = 0; i < PrintData().PageCount(); ++i) {
        const PageTexts t = textsOf(i);
        printed += t.body.join(QString());
        EXPECT_EQ(t.below, QStringList{QString::number(i + 1)});
    }
    EXPECT_EQ(printed, line);
}

TEST_F(SourceLayout, PageNumbersRestartOrContinue)
{
    const int n = linesPerPage();
    record({{numbered(0, n + 1), true}, {numbered(0, n + 1), true}});
    ASSERT_EQ(PrintData().PageCount(), 4);
    QStringList numbers;
    for (int i = 0; i < 4; ++i)
        numbers << textsOf(i).below;
    EXPECT_EQ(numbers, (QStringList{"1", "2", "1", "2"}));

    record({{numbered(0, n + 1), true}, {numbered(0, n + 1), false}});
    numbers.clear();
    for (int i = 0; i < 4; ++i)
        numbers << textsOf(i).below;
    EXPECT_EQ(numbers, (QStringList{"1", "2", "3", "4"}));
}

TEST_F(SourceLayout, TabsStopAtTheEditorsTabWidth)
{
    PrintTabSpaceCount = [] { return 4; };
    record({{{QStringLiteral("\tX")}, true}});
    const TMetafileEx::TOp *text = nullptr;
    for (const TMetafileEx::TOp &op : PrintData().Pages(0).Ops())
        if (op.Text == QStringLiteral("\tX"))
            text = &op;
    ASSERT_NE(text, nullptr);
    TzkPrintdata probe;
    probe.BeginDoc();
    probe.Canvas()->SetFontNameSize(zkPrintOption.FontName, zkPrintOption.FontSize);
    const qreal stop = 4 * probe.Canvas()->FontMetrics().averageCharWidth();
    probe.EndDoc();
    EXPECT_DOUBLE_EQ(text->TabStop, stop);

    EXPECT_EQ(textsOf(0).body, QStringList{QStringLiteral("\tX")});

    // Printed, X begins at the stop (the body at the 20 mm margin; 150 dpi).
    SendPagesToPrinter(TzkPrintJob{QStringLiteral("t")});
    const int left = leftInk(fake->file, dir.filePath(QStringLiteral("tab")));
    const double expected = (zkPrinter.MMToDPIX(20) + stop) * 150 / 600;
    EXPECT_GE(left, int(expected) - 1);
    EXPECT_LE(left, int(expected) + 4);
}

// --- Sending pages -------------------------------------------------------------------------

class SendingPages : public PrintTest
{
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        perPage = linesPerPage();
        record({{numbered(0, perPage * 5), true}});
        ASSERT_EQ(PrintData().PageCount(), 5);
    }
    int perPage = 0;
};

TEST_F(SendingPages, RangesSelectPages)
{
    struct Case
    {
        const char *name;
        bool all, select;
        int from, to;
        QList<int> pages;
    };
    const Case cases[] = {
        {"all", true, false, 2, 3, {0, 1, 2, 3, 4}},
        {"2 to 3", false, true, 2, 3, {1, 2}},
        {"0 to 3", false, true, 0, 3, {0, 1, 2}},
        {"4 to 0", false, true, 4, 0, {3, 4}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(fake->file);
        TzkPrintJob job;
        job.Title = QStringLiteral("T");
        job.RangeAll = c.all;
        job.RangeSelect = c.select;
        job.RangeFrom = c.from;
        job.RangeTo = c.to;
        SendPagesToPrinter(job);
        EXPECT_EQ(printedOrder(fake->file, perPage), c.pages);
    }
    // Neither choice: nothing is printed, no document is started.
    const int prepared = fake->prepared;
    TzkPrintJob none;
    none.RangeAll = false;
    SendPagesToPrinter(none);
    EXPECT_EQ(fake->prepared, prepared);
}

TEST_F(SendingPages, CopiesWithoutPrinterSupportAreRepeatedByTheProgram)
{
    TzkPrintJob job;
    job.Copies = 3;
    job.Collate = true;
    job.RangeAll = false;
    job.RangeSelect = true;
    job.RangeFrom = 4;
    SendPagesToPrinter(job);
    EXPECT_EQ(printedOrder(fake->file, perPage), (QList<int>{3, 4, 3, 4, 3, 4}));

    job.Collate = false;
    SendPagesToPrinter(job);
    EXPECT_EQ(printedOrder(fake->file, perPage), (QList<int>{3, 3, 3, 4, 4, 4}));

    // A printer that makes copies itself gets the document once.
    fake->copies = true;
    SendPagesToPrinter(job);
    EXPECT_EQ(printedOrder(fake->file, perPage), (QList<int>{3, 4}));
}

TEST_F(SendingPages, JobIsNamedAfterTheTitle)
{
    SendPagesToPrinter(TzkPrintJob{QStringLiteral("Sales.dbo.注文")});
    const QString info = run(QStringLiteral("pdfinfo"), {fake->file});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Title:\\s+ZKS25R - Sales\\.dbo\\.注文"))))
        << info.toStdString();
}

TEST_F(SourceLayout, MarginsBelowTheUnprintableOnesPrintAtTheEdge)
{
    for (int margin : {0, 20}) {
        SCOPED_TRACE(margin);
        zkPrintOption.MMLeftMargin = margin;
        record(
            {{{QStringLiteral("HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH")}, true}},
            QStringLiteral("t"));
        SendPagesToPrinter(TzkPrintJob{QStringLiteral("t")});
        const double dotsPerMM = 150 / 25.4;
        const int left = leftInk(fake->file, dir.filePath(QStringLiteral("m%1").arg(margin)));
        // 0 mm: the 4 mm unprintable edge; 20 mm: 20 mm. H starts a dot or two in.
        const double expected = std::max(margin, 4) * dotsPerMM;
        EXPECT_GE(left, int(expected) - 1);
        EXPECT_LE(left, int(expected) + 4);
    }
}

// --- The dialog -------------------------------------------------------------------------------

template<class T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void click(QWidget *w, const char *name)
{
    child<QPushButton>(w, name)->click();
}

using PrintDialog = PrintTest;

TEST_F(PrintDialog, TooManyCopiesWarnsAndStays)
{
    int calls = 0;
    QString message;
    bool stayed = false;
    WhenModal([&](QWidget *dialog) {
        child<QLineEdit>(dialog, "txtCopies")->setText(QStringLiteral("1000"));
        WhenModal(
            [&](QWidget *box) {
                if (auto *label = box->findChild<QLabel *>(QStringLiteral("Message")))
                    message = label->text();
                static_cast<QDialog *>(box)->done(IDOK);
            },
            dialog);
        click(dialog, "btnOk");
        stayed = dialog->isVisible() && dialog->focusWidget() == child<QLineEdit>(dialog, "txtCopies");
        click(dialog, "btnCancel");
    });
    TfrmPrint::ShowWindow(QStringLiteral("T"), [&] { ++calls; });
    EXPECT_EQ(message, QStringLiteral("印刷部数の値を小さくして下さい。"));
    EXPECT_TRUE(stayed);
    EXPECT_EQ(calls, 0);
}

TEST_F(PrintDialog, ControlsFollowCopiesAndRange)
{
    bool collate1 = true, collate2 = false, rangeOff = false, rangeOn = false, rangeOffAgain = false;
    WhenModal([&](QWidget *dialog) {
        auto *copies = child<QLineEdit>(dialog, "txtCopies");
        auto *collate = child<QCheckBox>(dialog, "chkCollate");
        collate1 = collate->isEnabled();
        copies->setText(QStringLiteral("2"));
        collate2 = collate->isEnabled();
        auto *from = child<QLineEdit>(dialog, "txtRangeFrom");
        auto *to = child<QLineEdit>(dialog, "txtRangeTo");
        rangeOff = !from->isEnabled() && !to->isEnabled();
        child<QRadioButton>(dialog, "rdoRangeSelect")->click();
        rangeOn = from->isEnabled() && to->isEnabled() && child<QLabel>(dialog, "lblRange")->isEnabled();
        child<QRadioButton>(dialog, "rdoRangeAll")->click();
        rangeOffAgain = !from->isEnabled();
        click(dialog, "btnCancel");
    });
    TfrmPrint::ShowWindow(QStringLiteral("T"), [] {});
    EXPECT_FALSE(collate1);
    EXPECT_TRUE(collate2);
    EXPECT_TRUE(rangeOff);
    EXPECT_TRUE(rangeOn);
    EXPECT_TRUE(rangeOffAgain);
}

TEST_F(PrintDialog, OptionsAreStoredOnOkAndKeptOnCancel)
{
    zkPrintOption.FontName = QStringLiteral("ｍｓ ゴシック"); // another case of a listed name
    WhenModal([&](QWidget *dialog) {
        auto *fonts = child<QListWidget>(dialog, "lstFontName");
        EXPECT_EQ(fonts->selectedItems().size(), 1);
        child<QLineEdit>(dialog, "txtTopMargin")->setText(QStringLiteral("33"));
        click(dialog, "btnCancel");
    });
    TfrmPrint::ShowWindow(QStringLiteral("T"), [] {});
    EXPECT_EQ(zkPrintOption.MMTopMargin, 20);

    zkPrintOption.FontName = QStringLiteral("No Such Font");
    int calls = 0;
    WhenModal([&](QWidget *dialog) {
        EXPECT_TRUE(child<QListWidget>(dialog, "lstFontName")->selectedItems().isEmpty());
        child<QLineEdit>(dialog, "txtTopMargin")->setText(QStringLiteral("33"));
        child<QLineEdit>(dialog, "txtLeftMargin")->setText(QStringLiteral("150")); // above the range
        child<QLineEdit>(dialog, "txtFontSize")->setText(QStringLiteral("12"));
        child<QRadioButton>(dialog, "grpOrientation1")->click();
        click(dialog, "btnOk");
    });
    TfrmPrint::ShowWindow(QStringLiteral("T"), [&] {
        ++calls;
        record({{{QStringLiteral("x")}, true}});
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(zkPrintOption.MMTopMargin, 33);
    EXPECT_EQ(zkPrintOption.MMLeftMargin, 100);
    EXPECT_EQ(zkPrintOption.FontSize, 12);
    EXPECT_EQ(zkPrintOption.Orientation, poLandscape);
    EXPECT_EQ(zkPrintOption.FontName, QStringLiteral("No Such Font"));
    EXPECT_EQ(zkPrinter.Orientation(), poLandscape);
    EXPECT_EQ(pdfPages(fake->file).size(), 1);
}

TEST_F(PrintDialog, PreviewPrintsThroughTheDialogAgain)
{
    int calls = 0;
    int previewPages = 0;
    WhenModal([&](QWidget *dialog) {
        click(dialog, "btnPreview");
        WhenModal([&](QWidget *preview) {
            previewPages = PrintData().PageCount();
            EXPECT_EQ(preview->windowTitle(), QStringLiteral("印刷プレビュー"));
            WhenModal([&](QWidget *again) { click(again, "btnOk"); }, preview);
            preview->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
        });
    });
    TfrmPrint::ShowWindow(QStringLiteral("T"), [&] {
        ++calls;
        record({{numbered(0, 3), true}});
    });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(previewPages, 1);
    EXPECT_EQ(pdfPages(fake->file).size(), 1);
}

TEST_F(PrintDialog, PreviewZoomsBetweenHalfAndTwo)
{
    record({{numbered(0, linesPerPage() * 2), true}});
    TfrmPreview preview(nullptr);
    preview.ShowPage();
    auto *up = preview.findChild<QAction *>(QStringLiteral("actZoomUp"));
    auto *down = preview.findChild<QAction *>(QStringLiteral("actZoomDown"));
    auto *next = preview.findChild<QAction *>(QStringLiteral("actNextPage"));
    auto *image = preview.findChild<QLabel *>(QStringLiteral("imgPreview"));
    const int width1 = image->pixmap().width();
    // At zoom 1 the paper and its 150-dot frame at the screen's resolution.
    EXPECT_NEAR(width1, (zkPrinter.PaperSize().width() + 150) * 96.0 / 600, 1);
    for (int i = 0; i < 5; ++i)
        up->trigger();
    EXPECT_DOUBLE_EQ(preview.Rate(), 2.0);
    EXPECT_FALSE(up->isEnabled());
    EXPECT_NEAR(image->pixmap().width(), 2 * width1, 2);
    for (int i = 0; i < 8; ++i)
        down->trigger();
    EXPECT_DOUBLE_EQ(preview.Rate(), 0.5);
    EXPECT_FALSE(down->isEnabled());
    EXPECT_TRUE(next->isEnabled());
    next->trigger();
    EXPECT_EQ(preview.Page(), 2);
    EXPECT_FALSE(next->isEnabled());
}

} // namespace
