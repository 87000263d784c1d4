#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;
class TzkComboBox;
class TzkNumEdit;
class TzkPrintdata;
class TzkRadioButton;

// The tab width (in average character widths of the print font) of the
// source layout, for callers that print with other settings. Without it the
// layout takes the editors' shared settings (prpEditor), or 8 before those
// are loaded.
extern std::function<int()> PrintTabSpaceCount;
// Opens the help topic of a context number; the help layer sets it. Without
// it the help buttons do nothing.
extern std::function<void(QWidget *form, int context)> PrintHelpHook;

// The page recorder the print commands record into: the main window's; one
// of this unit's own where there is no main window (tests, tools).
TzkPrintdata &PrintData();

// The up-down buttons bound to a number edit: they step the edit's value
// within Min and Max, and Position is the edit's value held in that range.
class TzkUpDown : public QWidget
{
    Q_OBJECT
public:
    TzkUpDown(TzkNumEdit *associate, QWidget *parent);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    void SetRange(int min, int max);
    int Position() const;
    void SetPosition(int value);

private:
    TzkNumEdit *m_associate;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_min = 0;
    int m_max = 100;
};

// What is sent to the printer: copies, their collation and the page range.
struct TzkPrintJob
{
    QString Title;
    int Copies = 1;
    bool Collate = false;
    bool RangeAll = true;
    bool RangeSelect = false;
    int RangeFrom = 0; // 0: from the first page
    int RangeTo = 0;   // 0: to the last page
};

// Sends the recorded pages of PrintData() to the selected printer, at the
// print options' margins, under the job name "ZKS25R - " + title. Nothing
// happens when no page is in the range or the PDF file was not chosen; an
// error aborts the printer's document and is passed on.
void SendPagesToPrinter(const TzkPrintJob &job);

// The print dialog: printer, page range, copies, orientation, margins and
// font. Windows print through its static protocol: ShowWindow with a print
// procedure that runs BeginPrint, one PrintSource per text and, in any
// case, EndPrint.
class TfrmPrint : public QDialog
{
    Q_OBJECT
public:
    static void ShowWindow(const QString &Title, const std::function<void()> &PrintProc);
    static void BeginPrint();
    static void EndPrint();
    // Lays the lines out on pages: word wrap, tabs, the title above and the
    // page number below the body. ResetPageNumber numbers this text's pages
    // from 1.
    static void PrintSource(const QString &Title, const QStringList &Source, bool ResetPageNumber);

    ~TfrmPrint() override;

private:
    explicit TfrmPrint(QWidget *parent);

    void CreateControls();
    void LoadFonts();
    void LoadOptions();
    void StoreOptions();
    void SelectPrinter();
    void ApplyPrinterSettings();
    void SendPages();

    void cmbPrinterNameSelect();
    void btnOkClick();
    void btnPreviewClick();
    void btnPropertyClick();
    void grpOrientationClick();
    void txtCopiesChange();
    void rdoRangeAllClick();
    void btnHelpClick();

    // The dialog loop's next step: 0 finished, 1 the dialog, 2 the preview.
    static inline int PrintState = 0;
    // Set by BeginPrint: the next page emitted is the one BeginDoc opened.
    static inline bool FirstPagePending = false;

    QString FTitle;

    QGroupBox *grpPrinter = nullptr;
    QLabel *lblPrinterName = nullptr;
    TzkComboBox *cmbPrinterName = nullptr;
    QPushButton *btnProperty = nullptr;
    QGroupBox *grpRange = nullptr;
    TzkRadioButton *rdoRangeAll = nullptr;
    TzkRadioButton *rdoRangeSelect = nullptr;
    TzkNumEdit *txtRangeFrom = nullptr;
    QLabel *lblRange = nullptr;
    TzkNumEdit *txtRangeTo = nullptr;
    QGroupBox *grpCopies = nullptr;
    TzkNumEdit *txtCopies = nullptr;
    TzkUpDown *btnCopies = nullptr;
    QCheckBox *chkCollate = nullptr;
    QGroupBox *grpOrientation = nullptr;
    QButtonGroup *m_orientation = nullptr;
    QGroupBox *grpMargin = nullptr;
    TzkNumEdit *txtTopMargin = nullptr;
    TzkNumEdit *txtBottomMargin = nullptr;
    TzkNumEdit *txtLeftMargin = nullptr;
    TzkNumEdit *txtRightMargin = nullptr;
    TzkUpDown *btnTopMargin = nullptr;
    TzkUpDown *btnBottomMargin = nullptr;
    TzkUpDown *btnLeftMargin = nullptr;
    TzkUpDown *btnRightMargin = nullptr;
    QGroupBox *grpFont = nullptr;
    QListWidget *lstFontName = nullptr;
    TzkNumEdit *txtFontSize = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnPreview = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnHelp = nullptr;
};
