// The editor control at work: a key typed in the middle of a long coloured
// text until its repaint is done, a full repaint of a large viewport, and
// opening a 50 MB SQL script, colouring it and scrolling to its end, beside
// the same work in QScintilla (when its library is installed; it is used
// here only, for the comparison).

#include "editorcontrol/edcontrol.h"
#include "editorcontrol/programsettings.h"
#include "sqleditor/zksub_reserve.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

#ifdef ZK_HAVE_QSCINTILLA
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#endif

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const QString crlf = QStringLiteral("\r\n");

// A script of Japanese SQL: statements, strings, numbers, line comments and
// block comments over two rows.
QString scriptRow(int i)
{
    switch (i % 8) {
    case 0:
        return QStringLiteral(
                   "SELECT 受注.受注番号, 受注.金額 * 1.%1 AS 税込, N'注文%2' FROM dbo.受注 受注 -- 受注一覧")
            .arg(i % 97)
            .arg(i);
    case 1: return QStringLiteral("  WHERE 受注.状態 IN ('出荷済み', 'it''s') AND 受注.番号 > %1").arg(i * 7);
    case 2:
        return QStringLiteral("UPDATE 在庫 SET 数量 = 数量 - %1, 更新日 = GETDATE() WHERE 品番 = 0x%2")
            .arg(i % 13)
            .arg(i, 0, 16);
    case 3: return QStringLiteral("\tINSERT INTO ログ_%1 VALUES (%2, N'処理済み', NULL)").arg(i % 17).arg(i);
    case 4: return QStringLiteral("GO");
    case 5: return QStringLiteral("/* 月次の集計: %1 件").arg(i);
    case 6: return QStringLiteral("   売上と返品を合算する */");
    default: return QString();
    }
}

QString scriptText(int rows)
{
    QString text;
    text.reserve(rows * 60);
    for (int i = 0; i < rows; ++i)
        text += scriptRow(i) + crlf;
    return text;
}

// The 50 MB script, written once into the build folder.
QString bigScriptPath()
{
    const QString path = QStringLiteral(ZK_BINARY_DIR) + QStringLiteral("/bench/editor_50mb.sql");
    const qint64 size = 50LL * 1024 * 1024;
    if (QFileInfo(path).size() >= size)
        return path;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    qint64 written = 0;
    for (int i = 0; written < size; ++i) {
        const QByteArray row = (scriptRow(i) + crlf).toUtf8();
        written += file.write(row);
    }
    return path;
}

const QStringList &reserveWords()
{
    static const QStringList words = [] {
        QStringList list;
        LoadReserveWords(list);
        return list;
    }();
    return words;
}

// An editor set up as the program sets up its editors, shown and focused.
std::unique_ptr<TEditor> makeEditor(QSize Size, bool Wrap)
{
    auto editor = std::make_unique<TEditor>();
    TEditorProp prop;
    ProgramEditorSettings(prop);
    prop.SetReserveWordList(reserveWords());
    if (Wrap) {
        prop.WrapOption()->SetWrapByte(60);
        prop.SetWordWrap(true);
    }
    prop.AssignTo(editor.get());
    editor->resize(Size);
    editor->show();
    QApplication::setActiveWindow(editor.get());
    editor->setFocus();
    QApplication::processEvents();
    return editor;
}

void sendKey(QWidget *Widget, Qt::Key Key, const QString &Text, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, Key, Modifiers, Text);
    QApplication::sendEvent(Widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Modifiers, Text);
    QApplication::sendEvent(Widget, &release);
}

// Delivers what the last event asked to repaint (paint and flush).
void repaintPending()
{
    QCoreApplication::sendPostedEvents();
}

class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        if (Event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

double seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

// Seconds per timed iteration, by measurement.
std::map<std::string, std::vector<double>> g_samples;

// (1) A printable key at line 50,000 of 100,000 coloured lines, from the
// key event to the end of the repaint; Backspace (not timed) restores the row.
void BM_KeyAtLine50000(benchmark::State &state)
{
    const bool wrap = state.range(0) != 0;
    static const QString text = scriptText(100000);
    auto editor = makeEditor(QSize(1000, 700), wrap);
    editor->Lines()->SetTextStr(text);
    editor->SetRowCol(editor->Lines()->LinesToRow(50000), 10);
    repaintPending();
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);
    std::vector<double> &times = g_samples[wrap ? "key, wrap on" : "key, wrap off"];
    times.clear();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        const Clock::time_point t0 = Clock::now();
        QApplication::sendEvent(editor.get(), &press);
        repaintPending();
        const Clock::time_point t1 = Clock::now();
        state.SetIterationTime(seconds(t0, t1));
        times.push_back(seconds(t0, t1));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(editor.get(), &release);
        sendKey(editor.get(), Qt::Key_Backspace, QString(QChar(8)));
        repaintPending();
    }
    state.counters["rows"] = editor->ListCount();
    state.counters["paints/key"] = double(counter.paints) / double(2 * state.iterations());
}

// (2) A full repaint of a viewport of 60 rows of 200 characters, ASCII and kanji.
void BM_FullRepaint(benchmark::State &state)
{
    const QString unit = QStringLiteral("SELECT 顧客名, 金額 FROM 受注 WHERE 番号 = 12345 -- 備考 ");
    QString row;
    while (row.size() < 200)
        row += unit;
    row.truncate(200);
    QString text;
    for (int i = 0; i < 300; ++i)
        text += row + crlf;
    auto editor = makeEditor(QSize(800, 600), false);
    editor->Lines()->SetTextStr(text);
    // Wide and high enough to show 60 whole rows.
    const int cells = editor->RowCells(0);
    editor->resize(editor->LeftMargin() + (cells + 2) * editor->ColWidth() + 10,
                   editor->TopMargin() + 60 * editor->RowHeight() + 5);
    repaintPending();
    std::vector<double> &times = g_samples["paint"];
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        editor->viewport()->repaint();
        times.push_back(seconds(t0, Clock::now()));
    }
    state.counters["rows"] = editor->RowCount();
    state.counters["cells"] = cells;
}

// (3) Opening the 50 MB script, colouring it and scrolling to its end.
void BM_Open50MB(benchmark::State &state)
{
    const QString path = bigScriptPath();
    for (auto _ : state) {
        auto editor = makeEditor(QSize(1000, 700), false);
        const Clock::time_point t0 = Clock::now();
        editor->Lines()->LoadFromFile(path);
        sendKey(editor.get(), Qt::Key_End, QString(), Qt::ControlModifier);
        editor->viewport()->repaint();
        const Clock::time_point t1 = Clock::now();
        state.SetIterationTime(seconds(t0, t1));
        g_samples["open ours"].push_back(seconds(t0, t1));
        state.counters["rows"] = editor->ListCount();
        state.counters["top"] = editor->TopRow();
    }
}

#ifdef ZK_HAVE_QSCINTILLA
void BM_Open50MBQScintilla(benchmark::State &state)
{
    const QString path = bigScriptPath();
    for (auto _ : state) {
        auto editor = std::make_unique<QsciScintilla>();
        auto lexer = std::make_unique<QsciLexerSQL>();
        QFont font(QStringLiteral("Noto Sans Mono CJK JP"), 10);
        lexer->setFont(font);
        editor->setUtf8(true);
        editor->setLexer(lexer.get());
        editor->resize(1000, 700);
        editor->show();
        QApplication::processEvents();
        const Clock::time_point t0 = Clock::now();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the script");
            return;
        }
        editor->setText(QString::fromUtf8(file.readAll()));
        editor->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        editor->viewport()->repaint();
        const Clock::time_point t1 = Clock::now();
        state.SetIterationTime(seconds(t0, t1));
        g_samples["open QScintilla"].push_back(seconds(t0, t1));
        state.counters["lines"] = editor->lines();
        editor->setLexer(nullptr);
    }
}
#endif

BENCHMARK(BM_KeyAtLine50000)->Arg(0)->Arg(1)->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open50MB)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
#ifdef ZK_HAVE_QSCINTILLA
BENCHMARK(BM_Open50MBQScintilla)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
#endif

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    double median = 0;
    double p99 = 0;
    for (const char *name : {"key, wrap off", "key, wrap on"}) {
        const std::vector<double> &times = g_samples[name];
        const double m = percentile(times, 0.5) * 1e3;
        const double p = percentile(times, 0.99) * 1e3;
        std::printf("%s at line 50,000: median %.3f ms, p99 %.3f ms (%zu keys)\n", name, m, p, times.size());
        median = std::max(median, m);
        p99 = std::max(p99, p);
    }
    const double paint = percentile(g_samples["paint"], 0.5) * 1e3;
    const double ours = percentile(g_samples["open ours"], 0.5);
    const double theirs = percentile(g_samples["open QScintilla"], 0.5);
    std::printf("50MB open+scroll: ours %.0f ms, QScintilla %s\n", ours * 1e3,
                theirs > 0 ? QByteArray::number(theirs * 1e3, 'f', 0).append(" ms").constData() : "not installed");
    const std::string ratio =
        theirs > 0 && ours > 0 ? QByteArray::number(ours / theirs, 'f', 2).toStdString() : std::string("n/a");
    std::printf("editor: key median %.2f ms p99 %.2f ms, paint %.1f ms, 50MB open+scroll vs QScintilla ratio %s\n",
                median, p99, paint, ratio.c_str());
    return 0;
}
