#include "controls/fprint.h"

#include "controls/fpreview.h"
#include "controls/zkprinter.h"
#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "core/zkwindows.h"
#include "platform/fonts/fontmap.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

std::function<int()> PrintTabSpaceCount;
std::function<void(QWidget *, int)> PrintHelpHook;

TzkPrintdata &PrintData()
{
    if (zkMainForm && zkMainForm->prtData())
        return *zkMainForm->prtData();
    static TzkPrintdata own;
    return own;
}

// --- TzkUpDown ------------------------------------------------------------------------

TzkUpDown::TzkUpDown(TzkNumEdit *associate, QWidget *parent)
    : QWidget(parent)
    , m_associate(associate)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *b : {m_up, m_down}) {
        b->setArrowType(b == m_up ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { SetPosition(Position() + 1); });
    connect(m_down, &QToolButton::clicked, this, [this] { SetPosition(Position() - 1); });
}

void TzkUpDown::SetRange(int min, int max)
{
    m_min = min;
    m_max = std::max(min, max);
}

int TzkUpDown::Position() const
{
    return std::clamp(m_associate->ValueInt(), m_min, m_max);
}

void TzkUpDown::SetPosition(int value)
{
    m_associate->setText(QString::number(std::clamp(value, m_min, m_max)));
}

// --- Sending pages ------------------------------------------------------------------------

void SendPagesToPrinter(const TzkPrintJob &job)
{
    TzkPrintdata &data = PrintData();
    zkPrinter.Refresh();
    // The painter's origin is the printable corner; the body starts at the
    // wanted margin, or at the corner when the margin is narrower.
    const QPointF at(std::max(0, zkPrinter.MMToDPIX(zkPrintOption.MMLeftMargin) - zkPrinter.LeftMargin()),
                     std::max(0, zkPrinter.MMToDPIY(zkPrintOption.MMTopMargin) - zkPrinter.TopMargin()));

    int sets = 1;
    int repeat = 1;
    if (!zkPrinter.SupportCollate()) {
        if (job.Collate)
            sets = job.Copies;
        else if (!zkPrinter.SupportCopies())
            repeat = job.Copies;
    }

    QList<int> pages;
    for (int i = 0; i < data.PageCount(); ++i) {
        bool prints = false;
        if (job.RangeAll)
            prints = true;
        else if (job.RangeSelect)
            prints = !(job.RangeFrom != 0 && i < job.RangeFrom - 1) && !(job.RangeTo != 0 && i > job.RangeTo - 1);
        if (prints)
            pages.append(i);
    }
    if (pages.isEmpty())
        return;

    QPrinter *printer = zkPrinter.Printer();
    const QString title = QStringLiteral("ZKS25R - ") + job.Title;
    printer->setDocName(title);
    if (!zkPrinter.Backend()->PrepareOutput(*printer, job.Title))
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor
    {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;

    QPainter painter;
    if (!painter.begin(printer))
        throw Exception(QStringLiteral("印刷を開始できませんでした。"));
    try {
        bool first = true;
        for (int set = 0; set < sets; ++set)
            for (int i : pages)
                for (int r = 0; r < repeat; ++r) {
                    if (!first && !printer->newPage())
                        throw Exception(QStringLiteral("印刷に失敗しました。"));
                    first = false;
                    data.Pages(i).Draw(painter, at);
                }
    } catch (...) {
        printer->abort();
        painter.end();
        throw;
    }
    painter.end();
}

// --- TfrmPrint ------------------------------------------------------------------------------

TfrmPrint::TfrmPrint(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("印刷"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setProperty("HelpContext", 20400);
    CreateControls();
}

TfrmPrint::~TfrmPrint() = default;

namespace {
TzkNumEdit *numEdit(QWidget *parent, const char *name, const QString &text, int width)
{
    auto *edit = new TzkNumEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setText(text);
    edit->setFixedWidth(width);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

TzkUpDown *upDown(TzkNumEdit *edit, const char *name, int min, int max, int position)
{
    auto *ud = new TzkUpDown(edit, edit->parentWidget());
    ud->setObjectName(QLatin1String(name));
    ud->SetRange(min, max);
    ud->SetPosition(position);
    return ud;
}

QHBoxLayout *editWithUpDown(TzkNumEdit *edit, TzkUpDown *ud)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(edit);
    row->addWidget(ud);
    return row;
}
} // namespace

void TfrmPrint::CreateControls()
{
    auto *main = new QGridLayout(this);
    main->setSizeConstraint(QLayout::SetFixedSize);

    grpPrinter = new QGroupBox(QStringLiteral(" プリンタ "), this);
    grpPrinter->setObjectName(QStringLiteral("grpPrinter"));
    lblPrinterName = new QLabel(QStringLiteral("プリンタ名(&N)"), grpPrinter);
    lblPrinterName->setObjectName(QStringLiteral("lblPrinterName"));
    cmbPrinterName = new TzkComboBox(grpPrinter);
    cmbPrinterName->setObjectName(QStringLiteral("cmbPrinterName"));
    cmbPrinterName->SetEditable(false);
    cmbPrinterName->setMinimumWidth(260);
    lblPrinterName->setBuddy(cmbPrinterName);
    btnProperty = new QPushButton(QStringLiteral("プロパティ(&P)..."), grpPrinter);
    btnProperty->setObjectName(QStringLiteral("btnProperty"));
    btnProperty->setAutoDefault(false);
    auto *printerRow = new QHBoxLayout(grpPrinter);
    printerRow->addWidget(lblPrinterName);
    printerRow->addWidget(cmbPrinterName, 1);
    printerRow->addWidget(btnProperty);
    main->addWidget(grpPrinter, 0, 0, 1, 2);

    grpRange = new QGroupBox(QStringLiteral(" 印刷範囲 "), this);
    grpRange->setObjectName(QStringLiteral("grpRange"));
    rdoRangeAll = new TzkRadioButton(QStringLiteral("すべて(&A)"), grpRange);
    rdoRangeAll->setObjectName(QStringLiteral("rdoRangeAll"));
    rdoRangeAll->setChecked(true);
    rdoRangeSelect = new TzkRadioButton(QStringLiteral("ページ指定(&G)"), grpRange);
    rdoRangeSelect->setObjectName(QStringLiteral("rdoRangeSelect"));
    txtRangeFrom = numEdit(grpRange, "txtRangeFrom", QString(), 50);
    lblRange = new QLabel(QStringLiteral("～"), grpRange);
    lblRange->setObjectName(QStringLiteral("lblRange"));
    txtRangeTo = numEdit(grpRange, "txtRangeTo", QString(), 50);
    for (QWidget *w :
         {static_cast<QWidget *>(txtRangeFrom), static_cast<QWidget *>(lblRange), static_cast<QWidget *>(txtRangeTo)})
        w->setEnabled(false);
    auto *rangeLayout = new QGridLayout(grpRange);
    rangeLayout->addWidget(rdoRangeAll, 0, 0, 1, 4);
    rangeLayout->addWidget(rdoRangeSelect, 1, 0);
    rangeLayout->addWidget(txtRangeFrom, 1, 1);
    rangeLayout->addWidget(lblRange, 1, 2);
    rangeLayout->addWidget(txtRangeTo, 1, 3);
    main->addWidget(grpRange, 1, 0);

    grpCopies = new QGroupBox(QStringLiteral(" 部数 "), this);
    grpCopies->setObjectName(QStringLiteral("grpCopies"));
    auto *lblCopies = new QLabel(QStringLiteral("部数(&C)"), grpCopies);
    lblCopies->setObjectName(QStringLiteral("lblCopies"));
    txtCopies = numEdit(grpCopies, "txtCopies", QStringLiteral("1"), 50);
    lblCopies->setBuddy(txtCopies);
    btnCopies = upDown(txtCopies, "btnCopies", 1, 1, 1);
    chkCollate = new QCheckBox(QStringLiteral("部単位で印刷"), grpCopies);
    chkCollate->setObjectName(QStringLiteral("chkCollate"));
    chkCollate->setEnabled(false);
    auto *copiesLayout = new QGridLayout(grpCopies);
    copiesLayout->addWidget(lblCopies, 0, 0);
    copiesLayout->addLayout(editWithUpDown(txtCopies, btnCopies), 0, 1, Qt::AlignLeft);
    copiesLayout->addWidget(chkCollate, 1, 0, 1, 2);
    main->addWidget(grpCopies, 1, 1);

    grpOrientation = new QGroupBox(QStringLiteral(" 用紙方向 "), this);
    grpOrientation->setObjectName(QStringLiteral("grpOrientation"));
    m_orientation = new QButtonGroup(grpOrientation);
    auto *orientationLayout = new QHBoxLayout(grpOrientation);
    const QStringList orientations{QStringLiteral("縦"), QStringLiteral("横")};
    for (int i = 0; i < orientations.size(); ++i) {
        auto *b = new QRadioButton(orientations[i], grpOrientation);
        b->setObjectName(QStringLiteral("grpOrientation%1").arg(i));
        m_orientation->addButton(b, i);
        orientationLayout->addWidget(b);
    }
    m_orientation->button(0)->setChecked(true);
    main->addWidget(grpOrientation, 2, 0);

    grpMargin = new QGroupBox(QStringLiteral(" 余白(mm) "), this);
    grpMargin->setObjectName(QStringLiteral("grpMargin"));
    auto *marginLayout = new QGridLayout(grpMargin);
    struct MarginSpec
    {
        const char *label;
        const char *edit;
        const char *button;
        TzkNumEdit **editField;
        TzkUpDown **buttonField;
        int row;
        int column;
    };
    const MarginSpec margins[] = {
        {"上", "txtTopMargin", "btnTopMargin", &txtTopMargin, &btnTopMargin, 0, 0},
        {"下", "txtBottomMargin", "btnBottomMargin", &txtBottomMargin, &btnBottomMargin, 1, 0},
        {"左", "txtLeftMargin", "btnLeftMargin", &txtLeftMargin, &btnLeftMargin, 0, 2},
        {"右", "txtRightMargin", "btnRightMargin", &txtRightMargin, &btnRightMargin, 1, 2},
    };
    for (const MarginSpec &m : margins) {
        *m.editField = numEdit(grpMargin, m.edit, QStringLiteral("10"), 40);
        (*m.editField)->SetAllowMinus(true);
        *m.buttonField = upDown(*m.editField, m.button, 0, 100, 10);
        marginLayout->addWidget(new QLabel(QString::fromUtf8(m.label), grpMargin), m.row, m.column);
        marginLayout->addLayout(editWithUpDown(*m.editField, *m.buttonField), m.row, m.column + 1, Qt::AlignLeft);
    }
    main->addWidget(grpMargin, 2, 1);

    grpFont = new QGroupBox(QStringLiteral(" フォント "), this);
    grpFont->setObjectName(QStringLiteral("grpFont"));
    lstFontName = new QListWidget(grpFont);
    lstFontName->setObjectName(QStringLiteral("lstFontName"));
    lstFontName->setSortingEnabled(true);
    lstFontName->setMinimumHeight(110);
    auto *lblFontSize1 = new QLabel(QStringLiteral("サイズ"), grpFont);
    lblFontSize1->setObjectName(QStringLiteral("lblFontSize1"));
    txtFontSize = numEdit(grpFont, "txtFontSize", QString(), 40);
    txtFontSize->setMaxLength(3);
    auto *lblFontSize2 = new QLabel(QStringLiteral("pt."), grpFont);
    lblFontSize2->setObjectName(QStringLiteral("lblFontSize2"));
    auto *fontLayout = new QGridLayout(grpFont);
    fontLayout->addWidget(lstFontName, 0, 0, 1, 4);
    fontLayout->addWidget(lblFontSize1, 1, 0);
    fontLayout->addWidget(txtFontSize, 1, 1);
    fontLayout->addWidget(lblFontSize2, 1, 2);
    fontLayout->setColumnStretch(3, 1);
    main->addWidget(grpFont, 3, 0, 1, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto button = [this, buttons](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    btnOk = button("btnOk", QStringLiteral("印刷"));
    btnOk->setDefault(true);
    btnPreview = button("btnPreview", QStringLiteral("プレビュー"));
    btnCancel = button("btnCancel", QStringLiteral("キャンセル"));
    btnHelp = button("btnHelp", QStringLiteral("ヘルプ"));
    main->addLayout(buttons, 4, 0, 1, 2);

    connect(cmbPrinterName, &QComboBox::activated, this, [this] { cmbPrinterNameSelect(); });
    connect(btnProperty, &QPushButton::clicked, this, [this] { btnPropertyClick(); });
    connect(rdoRangeAll, &QRadioButton::clicked, this, [this] { rdoRangeAllClick(); });
    connect(rdoRangeSelect, &QRadioButton::clicked, this, [this] { rdoRangeAllClick(); });
    for (TzkNumEdit *e :
         {txtRangeFrom, txtRangeTo, txtCopies, txtTopMargin, txtBottomMargin, txtLeftMargin, txtRightMargin})
        connect(e, &QLineEdit::textChanged, this, [this] { txtCopiesChange(); });
    connect(m_orientation, &QButtonGroup::idClicked, this, [this] { grpOrientationClick(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnPreview, &QPushButton::clicked, this, [this] { btnPreviewClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
}

void TfrmPrint::LoadFonts()
{
    // Qt lists no printer fonts: the screen's fonts serve both.
    lstFontName->clear();
    lstFontName->addItems(FontMap::families());
}

void TfrmPrint::LoadOptions()
{
    const int orientation = zkPrintOption.Orientation == poLandscape ? 1 : 0;
    m_orientation->button(orientation)->setChecked(true);
    btnTopMargin->SetPosition(zkPrintOption.MMTopMargin);
    btnBottomMargin->SetPosition(zkPrintOption.MMBottomMargin);
    btnLeftMargin->SetPosition(zkPrintOption.MMLeftMargin);
    btnRightMargin->SetPosition(zkPrintOption.MMRightMargin);
    lstFontName->clearSelection();
    lstFontName->setCurrentItem(nullptr);
    for (int i = 0; i < lstFontName->count(); ++i)
        if (lstFontName->item(i)->text().compare(zkPrintOption.FontName, Qt::CaseInsensitive) == 0) {
            lstFontName->setCurrentRow(i);
            lstFontName->scrollToItem(lstFontName->item(i), QAbstractItemView::PositionAtCenter);
            break;
        }
    txtFontSize->SetValueInt(zkPrintOption.FontSize);
}

void TfrmPrint::StoreOptions()
{
    zkPrintOption.Orientation = m_orientation->checkedId() == 1 ? poLandscape : poPortrait;
    zkPrintOption.MMTopMargin = btnTopMargin->Position();
    zkPrintOption.MMBottomMargin = btnBottomMargin->Position();
    zkPrintOption.MMLeftMargin = btnLeftMargin->Position();
    zkPrintOption.MMRightMargin = btnRightMargin->Position();
    const QList<QListWidgetItem *> selected = lstFontName->selectedItems();
    if (!selected.isEmpty())
        zkPrintOption.FontName = selected.first()->text();
    zkPrintOption.FontSize = txtFontSize->ValueInt();
}

void TfrmPrint::SelectPrinter()
{
    zkPrinter.SetPrinterIndex(cmbPrinterName->currentIndex());
    zkPrinter.Refresh();
    cmbPrinterName->setCurrentIndex(zkPrinter.PrinterIndex());
    btnCopies->SetRange(1, zkPrinter.MaxCopies());
}

void TfrmPrint::ApplyPrinterSettings()
{
    SelectPrinter();
    zkPrinter.SetOrientation(m_orientation->checkedId() == 1 ? poLandscape : poPortrait);
    zkPrinter.BeginSetting();
    struct End
    {
        ~End() { zkPrinter.EndSetting(); }
    } end;
    if (zkPrinter.SupportCollate())
        zkPrinter.PDev->Collate = chkCollate->isChecked();
    if (zkPrinter.SupportCopies())
        zkPrinter.PDev->Copies = chkCollate->isChecked() && !zkPrinter.SupportCollate() ? 1 : btnCopies->Position();
}

void TfrmPrint::SendPages()
{
    TzkPrintJob job;
    job.Title = FTitle;
    job.Copies = btnCopies->Position();
    job.Collate = chkCollate->isChecked();
    job.RangeAll = rdoRangeAll->isChecked();
    job.RangeSelect = rdoRangeSelect->isChecked();
    job.RangeFrom = txtRangeFrom->ValueInt();
    job.RangeTo = txtRangeTo->ValueInt();
    SendPagesToPrinter(job);
}

void TfrmPrint::cmbPrinterNameSelect()
{
    SelectPrinter();
}

void TfrmPrint::btnOkClick()
{
    bool ok = false;
    int copies = txtCopies->text().toInt(&ok);
    if (!ok)
        copies = 1;
    if (copies > zkPrinter.MaxCopies()) {
        txtCopies->setFocus();
        ShowAppMessage(QStringLiteral("印刷部数の値を小さくして下さい。"), MB_ICONWARNING);
        return;
    }
    PrintState = 1;
    accept();
}

void TfrmPrint::btnPreviewClick()
{
    PrintState = 2;
    accept();
}

void TfrmPrint::btnPropertyClick()
{
    SelectPrinter();
    zkPrinter.SetOrientation(m_orientation->checkedId() == 1 ? poLandscape : poPortrait);
    QPageSetupDialog dialog(zkPrinter.Printer(), this);
    if (dialog.exec() == QDialog::Accepted) {
        // The set-up dialog may have changed the paper: the origin is the
        // printable corner again.
        zkPrinter.Backend()->ApplyMinimumMargins();
        cmbPrinterName->setCurrentIndex(zkPrinter.PrinterIndex());
        SelectPrinter();
    }
}

void TfrmPrint::grpOrientationClick()
{
    zkPrinter.SetOrientation(m_orientation->checkedId() == 1 ? poLandscape : poPortrait);
    zkPrinter.Refresh();
}

void TfrmPrint::txtCopiesChange()
{
    chkCollate->setEnabled(btnCopies->Position() > 1);
}

void TfrmPrint::rdoRangeAllClick()
{
    const bool on = rdoRangeSelect->isChecked();
    txtRangeFrom->setEnabled(on);
    txtRangeTo->setEnabled(on);
    lblRange->setEnabled(on);
}

void TfrmPrint::btnHelpClick()
{
    if (PrintHelpHook)
        PrintHelpHook(this, 20400);
}

void TfrmPrint::ShowWindow(const QString &Title, const std::function<void()> &PrintProc)
{
    if (!PrintProc)
        return;
    PrintState = 1;
    while (PrintState != 0) {
        if (PrintState == 1) {
            QWidget *owner = zkMainForm ? zkMainForm->Window() : nullptr;
            std::unique_ptr<TfrmPrint> form(new TfrmPrint(owner));
            form->FTitle = Title;
            form->LoadFonts();
            form->cmbPrinterName->addItems(zkPrinter.Printers());
            form->cmbPrinterName->setCurrentIndex(zkPrinter.PrinterIndex());
            form->SelectPrinter();
            form->LoadOptions();
            PlaceForm(form.get(), -1, -1);
            PrintState = 0;
            if (form->exec() == QDialog::Accepted) {
                form->ApplyPrinterSettings();
                form->StoreOptions();
                if (PrintState == 1) {
                    PrintProc();
                    form->SendPages();
                    PrintState = 0;
                }
            }
        }
        if (PrintState == 2) {
            PrintProc();
            PrintState = TfrmPreview::ShowWindow() ? 1 : 0;
        }
    }
}

void TfrmPrint::BeginPrint()
{
    // The geometry of the printer as it is now.
    zkPrinter.Refresh();
    PrintData().BeginDoc();
    FirstPagePending = true;
}

void TfrmPrint::EndPrint()
{
    PrintData().EndDoc();
}
