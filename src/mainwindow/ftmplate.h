#pragma once

#include <QHash>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QSplitter;
class TzkMemo;
class TzkStrEdit;
class TzkTreeNode;
class TzkTreeView;

// --- Reference files without a window ----------------------------------------------------

// "%%%name" starts a category; "【 title 】rest" starts an entry; any other
// line belongs to the entry above it.
bool IsTplCategory(const QString &line);
bool IsTplHeader(const QString &line);
QString TplCategoryName(const QString &line);
// The text from the third character up to " 】"; empty without " 】".
QString TplHeaderTitle(const QString &line);

// Every entry title in file order with its header line; titles are found
// ignoring case, the first header of a title winning.
class TTplIndex
{
public:
    void Build(const QStringList &lines);
    int Count() const { return int(m_titles.size()); }
    const QString &Title(int item) const { return m_titles[item]; }
    int Line(int item) const { return m_lines[item]; }
    // The item of the title; -1 when no header carries it.
    int Find(const QString &title) const;

private:
    QStringList m_titles;
    QVector<int> m_lines;
    QHash<QString, int> m_byTitle;
};

// The entries to show for index item `first`: itself, then each entry that
// its body lines refer to ("<title>"), collected at once where it is
// mentioned (depth first, in order of first mention, each once). `visit` is
// called for each collected item in order; returning false stops.
void CollectTplEntries(const QStringList &lines, const TTplIndex &index, int first,
                       const std::function<bool(int item)> &visit);
// The index items CollectTplEntries visits.
QVector<int> CollectTplEntries(const QStringList &lines, const TTplIndex &index, int first);

// The lines an entry shows: each collected entry's header and body lines.
// Objects holds the line object of each line: kTplHeaderObject on headers.
struct TTplText
{
    QStringList Lines;
    QVector<quint32> Objects;
};
constexpr quint32 kTplHeaderObject = 0xFF0000;
TTplText AssembleTplText(const QStringList &lines, const TTplIndex &index, int item);

// Whether the assembled text of item holds `search` (letter case respected).
bool TplEntryContains(const QStringList &lines, const TTplIndex &index, int item, const QString &search);

// A node of the reference tree: a category with its entries, or an entry at
// the top level (before the first category).
struct TTplNode
{
    QString Text;
    bool Category = false;
    QStringList Entries;
};
// The tree of the file; with a search text, the entries whose text does not
// hold it are left out (categories stay, also when empty).
QVector<TTplNode> BuildTplTree(const QStringList &lines, const TTplIndex &index, const QString &search);

// The reference files of `folder` ("*.tpl", ignoring case, regular files
// only) by their real names.
QStringList FindTplFiles(const QString &folder);

// --- The window ------------------------------------------------------------------------------

// The SQL reference: a tree of categories and entries with a search field,
// and the chosen entry's text. It stays above the main window, is not modal
// and frees itself when closed.
class TfrmTemplate : public QWidget
{
    Q_OBJECT
public:
    // Opens a new window on the word and returns it; raises the file error
    // (and opens nothing) when no reference file can be read.
    static TfrmTemplate *ShowWindow(const QString &SelectWord);
    // The text selected in the focused editor; empty when no editor has the
    // focus.
    static QString FocusedSelText();

    explicit TfrmTemplate(QWidget *owner);
    ~TfrmTemplate() override;

    void txtFindExit();
    void lstTemplateChange(TzkTreeNode *node);
    void cmbVersionChange();

    // What the window holds, for its tests.
    const QStringList &TplData() const { return FTplData; }
    const TTplText &ShownText() const { return m_shown; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateControls();
    void ListVersions();
    void LoadTemplate();
    void BuildTree();
    void ShowNode(TzkTreeNode *node);
    void RestoreLayout();
    void SaveLayout();

    QWidget *pnlLeft = nullptr;
    QWidget *pnlTop = nullptr;
    QLabel *lblFind = nullptr;
    TzkStrEdit *txtFind = nullptr;
    QLabel *lblVersion = nullptr;
    QComboBox *cmbVersion = nullptr;
    TzkTreeView *lstTemplate = nullptr;
    QSplitter *splMain = nullptr;
    TzkMemo *txtSQL = nullptr;

    QStringList FTplData;
    TTplIndex FIndex;
    TTplText m_shown;
    bool m_layoutSaved = false;
};
