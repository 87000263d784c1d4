// The result exports on a result of a million rows of eight typed columns:
// a CSV file in UTF-8 and in SHIFT-JIS, an INSERT script and the clipboard
// text, against a plain std::fwrite loop that writes the same values in
// UTF-8; and the memory the file exports take beyond the result at their
// peak.
#include "controls/rdata_exporttext.h"
#include "gridresult.h"

#include "platform/encoding/textencoding.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace gridbench;

constexpr qint64 Rows = 1000000;

OpenResult *g_result = nullptr;
QTemporaryDir *g_dir = nullptr;

struct Times
{
    std::vector<double> raw, csv, sjis, insert, clipboard;
    // Processor time of the same runs: on a busy machine the clock also
    // counts the waits for the processor and the disk.
    std::vector<double> rawCpu, csvCpu;
} g_times;

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QString path(const char *name)
{
    return g_dir->filePath(QString::fromLatin1(name));
}

// The baseline: every value as the layer gives it as text, in UTF-8, commas
// and CR LF between them, through stdio's buffer; no quoting, no chunks.
double rawLoop()
{
    TFDQuery &q = g_result->query;
    QElapsedTimer t;
    t.start();
    std::FILE *f = std::fopen(qPrintable(path("raw.csv")), "wb");
    const int fields = q.FieldCount();
    for (q.First(); !q.Eof(); q.Next()) {
        for (int i = 0; i < fields; ++i) {
            if (i > 0)
                std::fwrite(",", 1, 1, f);
            const QByteArray bytes = q.Fields(i)->AsString().toUtf8();
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
        }
        std::fwrite("\r\n", 1, 2, f);
    }
    std::fclose(f);
    return double(t.nsecsElapsed()) / 1e9;
}

// The resident high-water mark of the process; writing 5 to clear_refs
// starts it again from the current resident size.
qint64 peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            qint64 kb = 0;
            status >> kb;
            return kb * 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

bool resetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

double g_peakExtraMB = 0;

// Runs a file export and keeps the most it held beyond the open result:
// the rise of the resident high-water mark from the resident size before.
template<typename Run>
void watchPeak(const Run &run)
{
    const qint64 before = residentBytes();
    const bool reset = resetPeak();
    run();
    if (reset)
        g_peakExtraMB = std::max(g_peakExtraMB, double(peakResidentBytes() - before) / (1024.0 * 1024.0));
}

double csvFile(const TEncoding *encoding, const char *name)
{
    QElapsedTimer t;
    t.start();
    TzkCsvOptions options;
    options.quoting = csvQuoteText;
    watchPeak([&] { WriteCsvFile(&g_result->query, path(name), options, encoding); });
    return double(t.nsecsElapsed()) / 1e9;
}

double insertScript()
{
    QElapsedTimer t;
    t.start();
    watchPeak([] {
        WriteInsertScript(&g_result->query, QStringLiteral("dbo.bench"), path("insert.sql"), TEncoding::GetUTF8());
    });
    return double(t.nsecsElapsed()) / 1e9;
}

double clipboardText()
{
    QElapsedTimer t;
    t.start();
    const QString text = ClipboardText(&g_result->query, true, QLatin1Char('\t'));
    benchmark::DoNotOptimize(text.size());
    return double(t.nsecsElapsed()) / 1e9;
}

void BM_RawFwriteUtf8(benchmark::State &state)
{
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        g_times.raw.push_back(rawLoop());
        g_times.rawCpu.push_back(cpuSeconds() - cpu);
        state.SetIterationTime(g_times.raw.back());
    }
}

void BM_CsvUtf8(benchmark::State &state)
{
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        g_times.csv.push_back(csvFile(TEncoding::GetUTF8(), "utf8.csv"));
        g_times.csvCpu.push_back(cpuSeconds() - cpu);
        state.SetIterationTime(g_times.csv.back());
    }
}

void BM_CsvShiftJis(benchmark::State &state)
{
    for (auto _ : state) {
        g_times.sjis.push_back(csvFile(TEncoding::GetANSI(), "sjis.csv"));
        state.SetIterationTime(g_times.sjis.back());
    }
}

void BM_InsertScript(benchmark::State &state)
{
    for (auto _ : state) {
        g_times.insert.push_back(insertScript());
        state.SetIterationTime(g_times.insert.back());
    }
}

void BM_ClipboardText(benchmark::State &state)
{
    for (auto _ : state) {
        g_times.clipboard.push_back(clipboardText());
        state.SetIterationTime(g_times.clipboard.back());
    }
}

// Raw loop and CSV take turns, so a busy machine slows both alike.
BENCHMARK(BM_RawFwriteUtf8)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CsvUtf8)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CsvShiftJis)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_InsertScript)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ClipboardText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_exports: no temporary folder\n");
        return 1;
    }
    g_dir = &dir;
    // An active window, as in the program: the exports look for ESC in its
    // event queue while they run.
    QWidget window;
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    OpenResult result(Rows);
    g_result = &result;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // A filter may have skipped some: measure what is missing once.
    if (g_times.raw.empty())
        g_times.raw.push_back(rawLoop());
    if (g_times.csv.empty())
        g_times.csv.push_back(csvFile(TEncoding::GetUTF8(), "utf8.csv"));
    if (g_times.sjis.empty())
        g_times.sjis.push_back(csvFile(TEncoding::GetANSI(), "sjis.csv"));
    if (g_times.insert.empty())
        g_times.insert.push_back(insertScript());
    if (g_times.clipboard.empty())
        g_times.clipboard.push_back(clipboardText());
    const double extra = g_peakExtraMB;

    const double rawCpu = median(g_times.rawCpu);
    if (rawCpu > 0)
        std::printf("processor time: raw %.2f s, csv %.2f s (ratio %.2f)\n", rawCpu, median(g_times.csvCpu),
                    median(g_times.csvCpu) / rawCpu);
    const double raw = median(g_times.raw);
    const double csv = median(g_times.csv);
    std::printf(
        "exports: csv %.2f s (raw ratio %.2f), sjis %.2f s, insert %.2f s, clipboard %.2f s, peak extra %.0f MB\n", csv,
        raw > 0 ? csv / raw : 0.0, median(g_times.sjis), median(g_times.insert), median(g_times.clipboard), extra);
    return 0;
}
