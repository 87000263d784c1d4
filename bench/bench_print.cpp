// The source layout of printing: a DDL script of 5,000 lines and one line of
// 200,000 characters laid out on pages, each against one QTextLayout of the
// same text at the same width and font (the cost of wrapping it once).
#include "controls/fprint.h"
#include "controls/zkprinter.h"
#include "core/zkoption.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextLayout>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QStringList ddl5000()
{
    QStringList lines;
    int table = 0;
    while (lines.size() < 5000) {
        lines << QStringLiteral("CREATE TABLE [dbo].[受注明細%1] (").arg(table);
        for (int c = 0; c < 12 && lines.size() < 4995; ++c)
            lines << QStringLiteral("\t[項目%1]\tnvarchar(%2)\tNOT NULL\tDEFAULT (N'既定値 %3'),")
                         .arg(c)
                         .arg(10 + c)
                         .arg(table);
        lines << QStringLiteral("\tCONSTRAINT [PK_受注明細%1] PRIMARY KEY CLUSTERED ([項目0] ASC)").arg(table)
              << QStringLiteral(")") << QStringLiteral("GO") << QString();
        ++table;
    }
    return lines;
}

QStringList line200k()
{
    QString s;
    s.reserve(200000);
    int i = 0;
    while (s.size() < 200000)
        s += QStringLiteral("SELECT 列%1, N'値' FROM 表 WHERE ID = %1; ").arg(i++);
    s.truncate(200000);
    return {s};
}

double printMs(const QStringList &source)
{
    QElapsedTimer t;
    t.start();
    TfrmPrint::BeginPrint();
    TfrmPrint::PrintSource(QStringLiteral("bench"), source, true);
    TfrmPrint::EndPrint();
    return t.nsecsElapsed() / 1e6;
}

// One layout of the whole text at the body's width, with the print font and tabs.
double layoutMs(const QStringList &source)
{
    TzkPrintdata probe;
    probe.BeginDoc();
    TzkPrintCanvas *canvas = probe.Canvas();
    canvas->SetFontNameSize(zkPrintOption.FontName, zkPrintOption.FontSize);
    const QFont font = canvas->Font();
    QPaintDevice *device = canvas->Reference();
    const qreal tab = 8 * canvas->FontMetrics().averageCharWidth();
    probe.EndDoc();
    const qreal width = zkPrinter.GetPrintableWidth(zkPrintOption.MMLeftMargin, zkPrintOption.MMRightMargin);

    QElapsedTimer t;
    t.start();
    QTextLayout layout(source.join(QChar::LineSeparator), font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(tab);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    benchmark::DoNotOptimize(lines);
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const QStringList &ddl()
{
    static const QStringList s = ddl5000();
    return s;
}

const QStringList &longLine()
{
    static const QStringList s = line200k();
    return s;
}

void BM_PrintSource5000Lines(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(printMs(ddl()) / 1000);
}

void BM_PrintSource200kLine(benchmark::State &state)
{
    for (auto _ : state)
        state.SetIterationTime(printMs(longLine()) / 1000);
}

BENCHMARK(BM_PrintSource5000Lines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PrintSource200kLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FontMap::install();
    zkPrinter.Refresh();
    printMs({QStringLiteral("warm up")});

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<double> p1, p2, l1, l2;
    for (int round = 0; round < 5; ++round) {
        p1.push_back(printMs(ddl()));
        l1.push_back(layoutMs(ddl()));
        p2.push_back(printMs(longLine()));
        l2.push_back(layoutMs(longLine()));
    }
    const double ratio = std::max(median(p1) / median(l1), median(p2) / median(l2));
    std::printf("pages: %d of the 200k line\n", PrintData().PageCount());
    std::printf("print: 5000 lines %.1f ms, 200k line %.1f ms, layout ratio %.2f\n", median(p1), median(p2), ratio);
    return 0;
}
