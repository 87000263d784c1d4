#include "mainwindow/flogon.h"

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "controls/zkstdctl.h"
#include "core/zkCommonData.h"
#include "core/zkapp.h"
#include "core/zkimagelist.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "mainwindow/fconnection.h"
#include "mainwindow/fmain.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

const QString kDatabaseKey = ZK_REG_ROOT + QStringLiteral("\\DATABASE");
const QString kLayoutKey = ZK_REG_ROOT + QStringLiteral("\\GUI\\LOGON");
constexpr int kMaxLength = 255;
constexpr int kDesignWidth = 480;
constexpr int kDesignHeight = 540;

QString windowsText(bool windows)
{
    return windows ? QStringLiteral("-1") : QStringLiteral("0");
}

bool sameText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A colour given as decimal text; the button face when it is no number.
TColor colorOfText(const QString &text)
{
    bool ok = false;
    const TColor color = text.toInt(&ok);
    return ok ? color : clBtnFace;
}

QIcon colorSwatch(TColor color, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(1, 1, size.width() - 2, size.height() - 2), ColorToQColor(color));
    painter.setPen(Qt::black);
    painter.drawRect(QRect(1, 1, size.width() - 2, size.height() - 2));
    return QIcon(pixmap);
}

QIcon mainImage(int index)
{
    const TzkImageList *images = zkMainForm ? zkMainForm->imgMain() : nullptr;
    return images ? images->Icon(index) : QIcon();
}

} // namespace

// --- TColorBoxEx ----------------------------------------------------------------------

TColorBoxEx::TColorBoxEx(QWidget *parent)
    : QComboBox(parent)
{
    setIconSize(QSize(24, 14));
    addItem(QStringLiteral("カスタム..."));
    setItemColor(0, clBlack);
    connect(this, &QComboBox::activated, this, &TColorBoxEx::userActivated);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index > 0)
            m_lastIndex = index;
    });
}

void TColorBoxEx::ClearNamedColors()
{
    while (count() > 1)
        removeItem(count() - 1);
}

void TColorBoxEx::AddColor(const QString &caption, TColor color)
{
    addItem(caption);
    setItemColor(count() - 1, color);
}

TColor TColorBoxEx::ColorAt(int index) const
{
    const QVariant data = itemData(index);
    return data.isValid() ? TColor(data.toInt()) : m_default;
}

TColor TColorBoxEx::Selected() const
{
    return currentIndex() < 0 ? m_default : ColorAt(currentIndex());
}

void TColorBoxEx::SetSelected(TColor color)
{
    for (int i = 1; i < count(); ++i) {
        if (ColorAt(i) == color) {
            setCurrentIndex(i);
            return;
        }
    }
    setItemColor(0, color);
    setCurrentIndex(0);
    m_lastIndex = 0;
}

bool TColorBoxEx::PickCustomColor()
{
    QColor color = ColorToQColor(ColorAt(0));
    if (!PickColor(window(), color))
        return false;
    setItemColor(0, QColorToColor(color));
    setCurrentIndex(0);
    m_lastIndex = 0;
    return true;
}

void TColorBoxEx::setItemColor(int index, TColor color)
{
    setItemData(index, int(color));
    setItemIcon(index, colorSwatch(color, iconSize()));
}

void TColorBoxEx::userActivated(int index)
{
    if (index != 0)
        return;
    const int previous = m_lastIndex;
    if (!PickCustomColor() && previous >= 0 && previous < count())
        setCurrentIndex(previous);
}

// --- TfrmLogon ----------------------------------------------------------------------

TfrmLogon::TfrmLogon(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmLogon"));
    setWindowTitle(QStringLiteral("ログオン"));
    // No close box: the dialog ends with its buttons (or Esc).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setMinimumHeight(420);
    CreateComponents();
    CreateColorBox();
    resize(kDesignWidth, kDesignHeight);
    UpdateActions();
}

TfrmLogon::~TfrmLogon() = default;

void TfrmLogon::CreateComponents()
{
    auto *layout = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    lstUserID = new TzkListView(this);
    lstUserID->setObjectName(QStringLiteral("lstUserID"));
    lstUserID->SetMultiSelect(false);
    lstUserID->SetRowSelect(true);
    lstUserID->SetReadOnly(true);
    lstUserID->SetImages(&imgLogonList);
    lstUserID->AddColumn(QStringLiteral("ユーザー"), 100);
    lstUserID->AddColumn(QStringLiteral("データベース"), 200);
    lstUserID->AddColumn(QStringLiteral("コメント"), 100);
    lstUserID->Header()->setStretchLastSection(true);
    lstUserID->OnKeyDown = [this](QKeyEvent *event) { return lstUserIDKeyDown(event); };
    top->addWidget(lstUserID, 1);

    actUp = new QAction(QStringLiteral("上へ移動"), this);
    actUp->setObjectName(QStringLiteral("actUp"));
    actDown = new QAction(QStringLiteral("下へ移動"), this);
    actDown->setObjectName(QStringLiteral("actDown"));
    actDel = new QAction(QStringLiteral("削除"), this);
    actDel->setObjectName(QStringLiteral("actDel"));
    actConnection = new QAction(QStringLiteral("接続先リストの取込"), this);
    actConnection->setObjectName(QStringLiteral("actConnection"));
    auto *tools = new QVBoxLayout;
    tools->setSpacing(0);
    auto *tolImport = new QToolBar(this);
    tolImport->setObjectName(QStringLiteral("tolImport"));
    tolImport->setOrientation(Qt::Vertical);
    tolImport->setIconSize(QSize(16, 16));
    tolImport->addAction(actConnection);
    auto *tolList = new QToolBar(this);
    tolList->setObjectName(QStringLiteral("tolList"));
    tolList->setOrientation(Qt::Vertical);
    tolList->setIconSize(QSize(16, 16));
    tolList->addAction(actUp);
    tolList->addAction(actDown);
    tolList->addAction(actDel);
    tools->addWidget(tolImport);
    tools->addSpacing(8);
    tools->addWidget(tolList);
    tools->addStretch(1);
    top->addLayout(tools);
    layout->addLayout(top, 1);

    auto edit = [this](const char *name, bool password = false) {
        auto *e = new TzkStrEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(kMaxLength);
        if (password) {
            e->setEchoMode(QLineEdit::Password);
            // The mask the users know from the dialog: "*", not the style's "●".
            e->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        }
        return e;
    };
    chkSQLWindow = new TzkCheckBox(QStringLiteral("WINDOWS認証"), this);
    chkSQLWindow->setObjectName(QStringLiteral("chkSQLWindow"));
    txtUserID = edit("txtUserID");
    txtPassword = edit("txtPassword", true);
    txtServer = edit("txtServer");
    cmbDataBase = edit("cmbDataBase");
    txtComment = edit("txtComment");
    chkEncrypt = new TzkCheckBox(QStringLiteral("暗号化"), this);
    chkEncrypt->setObjectName(QStringLiteral("chkEncrypt"));
    chkSave = new TzkCheckBox(QStringLiteral("接続先リストに登録する"), this);
    chkSave->setObjectName(QStringLiteral("chkSave"));

    auto *fields = new QGridLayout;
    fields->setObjectName(QStringLiteral("fields"));
    fields->setColumnStretch(1, 1);
    fields->addWidget(chkSQLWindow, 0, 1);
    const struct
    {
        const char *caption;
        QWidget *field;
    } rows[] = {{"ユーザー", txtUserID},
                {"パスワード", txtPassword},
                {"サーバー", txtServer},
                {"データベース", cmbDataBase},
                {"コメント", txtComment}};
    int row = 1;
    for (const auto &r : rows) {
        auto *label = new QLabel(QString::fromUtf8(r.caption), this);
        label->setBuddy(r.field);
        fields->addWidget(label, row, 0);
        fields->addWidget(r.field, row, 1);
        ++row;
    }
    auto *colorLabel = new QLabel(QStringLiteral("識別色"), this);
    colorLabel->setObjectName(QStringLiteral("lblPersonalColor"));
    fields->addWidget(colorLabel, row++, 0);
    fields->addWidget(chkEncrypt, row++, 1);
    layout->addLayout(fields);

    actOk = new QAction(QStringLiteral("接続"), this);
    actOk->setObjectName(QStringLiteral("actOk"));
    actCancel = new QAction(QStringLiteral("キャンセル"), this);
    actCancel->setObjectName(QStringLiteral("actCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(chkSave);
    buttons->addStretch(1);
    btnOk = new QPushButton(actOk->text(), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setMinimumWidth(88);
    btnCancel = new QPushButton(actCancel->text(), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setMinimumWidth(88);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, actOk, &QAction::trigger);
    connect(btnCancel, &QPushButton::clicked, actCancel, &QAction::trigger);
    connect(actOk, &QAction::changed, this, [this] { btnOk->setEnabled(actOk->isEnabled()); });
    connect(actOk, &QAction::triggered, this, [this] { actOkExecute(); });
    connect(actCancel, &QAction::triggered, this, &QDialog::reject);
    connect(actUp, &QAction::triggered, this, [this] { MoveSelected(-1); });
    connect(actDown, &QAction::triggered, this, [this] { MoveSelected(1); });
    connect(actDel, &QAction::triggered, this, [this] { actDelExecute(); });
    connect(actConnection, &QAction::triggered, this, [this] { actConnectionExecute(); });
    lstUserID->OnChange = [this] {
        lstUserIDSelected();
        UpdateActions();
    };
    lstUserID->OnDblClick = [this] {
        if (lstUserID->SelectedIndex() >= 0)
            actOk->trigger();
    };
    connect(chkSQLWindow, &QCheckBox::toggled, this, [this] {
        chkSQLWindowClick();
        UpdateActions();
    });
    for (TzkStrEdit *e : {txtUserID, txtServer})
        connect(e, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    chkSQLWindowClick();
}

void TfrmLogon::CreateColorBox()
{
    cbxPersonalColor = new TColorBoxEx(this);
    cbxPersonalColor->setObjectName(QStringLiteral("cbxPersonalColor"));
    cbxPersonalColor->setMinimumHeight(22);
    cbxPersonalColor->SetDefaultColor(clBtnFace);
    // Right below the comment, in its column.
    auto *fields = findChild<QGridLayout *>(QStringLiteral("fields"));
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    fields->getItemPosition(fields->indexOf(txtComment), &row, &column, &rowSpan, &columnSpan);
    fields->addWidget(cbxPersonalColor, row + 1, column);
    if (auto *label = findChild<QLabel *>(QStringLiteral("lblPersonalColor")))
        label->setBuddy(cbxPersonalColor);
    setTabOrder(txtComment, cbxPersonalColor);
    setTabOrder(cbxPersonalColor, chkEncrypt);

    cbxPersonalColor->ClearNamedColors();
    const struct
    {
        const char *caption;
        TColor color;
    } named[] = {
        {"デフォルト", clBtnFace},  {"ゲインズボロ", 0xDCDCDC},   {"ライトイエロー", 0xE0FFFF},
        {"ピーチパフ", 0xB9DAFF},   {"マネーグリーン", 0xC0DCC0}, {"ライトグリーン", 0x90EE90},
        {"ライトシアン", 0xFFFFE0}, {"スカイブルー", 0xF0CAA6},   {"ライトブルー", 0xE6D8AD},
        {"プラム", 0xDDA0DD},
    };
    for (const auto &n : named)
        cbxPersonalColor->AddColor(QString::fromUtf8(n.caption), n.color);
    cbxPersonalColor->SetSelected(clBtnFace);
}

// --- The logon ---------------------------------------------------------------------------

bool TfrmLogon::ShowWindow(const QString &DBName, const QString &UserID, const QString &Password, const QString &Server,
                           bool AutoPass)
{
    QWidget *owner = zkMainForm ? zkMainForm->Window() : nullptr;
    std::unique_ptr<TLogonInput> retry;
    for (;;) {
        auto dialog = std::make_unique<TfrmLogon>(owner);
        dialog->actUp->setIcon(mainImage(35));
        dialog->actDown->setIcon(mainImage(36));
        dialog->actDel->setIcon(mainImage(41));
        dialog->actConnection->setIcon(mainImage(8));
        if (retry)
            dialog->Restore(*retry);
        else
            dialog->Prefill(DBName, UserID, Password, Server);
        // A retry keeps what was typed; a fresh dialog takes the comment,
        // password and colour of the saved entry it names.
        dialog->LoadList(!retry);
        dialog->LoadLayout();
        // Centred on the main window every time: Qt's own placement would
        // use the main window's position before the window manager has
        // placed it, which puts the first dialog at the screen's top left.
        if (owner)
            dialog->move(owner->geometry().center() - QPoint(dialog->width() / 2, dialog->height() / 2));
        if (!AutoPass && dialog->exec() != QDialog::Accepted)
            return false;
        dialog->SaveLayout();

        const TLogonInput input = dialog->Input();
        try {
            new TfrmObject(owner, input.DataBase, input.UserID, input.Password, input.Server, input.Color,
                           input.Encrypt);
        } catch (const EAbort &) {
            return false;
        } catch (const std::exception &e) {
            TzkApplication::HandleException(e);
            retry = std::make_unique<TLogonInput>(input);
            AutoPass = false;
            continue;
        }
        // The window is there: a list that cannot be stored is reported, but
        // must not lead to a second logon.
        try {
            dialog->SaveConnectionList(true);
        } catch (const std::exception &e) {
            TzkApplication::HandleException(e);
        }
        return true;
    }
}

void TfrmLogon::Prefill(const QString &DBName, const QString &UserID, const QString &Password, const QString &Server)
{
    if (!UserID.isEmpty()) {
        txtUserID->setText(UserID.trimmed());
        cmbDataBase->setText(DBName.trimmed());
        // A password is taken as typed: blanks at its ends belong to it.
        txtPassword->setText(Password);
        txtServer->setText(Server.trimmed());
        return;
    }
    TzkRegistry reg;
    if (!reg.KeyExists(kDatabaseKey) || !reg.OpenKey(kDatabaseKey, false))
        return;
    txtUserID->setText(reg.GetString(QStringLiteral("UserID"), QString()));
    cmbDataBase->setText(reg.GetString(QStringLiteral("Database"), QString()));
    txtComment->setText(reg.GetString(QStringLiteral("Comment"), QString()));
    txtServer->setText(reg.GetString(QStringLiteral("Server"), QString()));
    chkSQLWindow->setChecked(reg.GetString(QStringLiteral("Windows"), QStringLiteral("0")) != QLatin1String("0"));
    cbxPersonalColor->setCurrentIndex(0);
    cbxPersonalColor->SetSelected(reg.GetInteger(QStringLiteral("BackgroundColor"), clBtnFace));
    chkEncrypt->setChecked(reg.GetBool(QStringLiteral("EncryptOption"), false));
}

void TfrmLogon::Restore(const TLogonInput &input)
{
    chkSQLWindow->setChecked(input.Windows);
    txtUserID->setText(input.UserID);
    txtPassword->setText(input.Password);
    txtServer->setText(input.Server);
    cmbDataBase->setText(input.DataBase);
    txtComment->setText(input.Comment);
    cbxPersonalColor->setCurrentIndex(0);
    cbxPersonalColor->SetSelected(input.Color);
    chkEncrypt->setChecked(input.Encrypt);
    chkSave->setChecked(input.Save);
}

TfrmLogon::TLogonInput TfrmLogon::Input() const
{
    TLogonInput input;
    input.DataBase = cmbDataBase->text();
    input.UserID = txtUserID->text();
    input.Password = txtPassword->text();
    input.Server = txtServer->text();
    input.Comment = txtComment->text();
    input.Windows = chkSQLWindow->isChecked();
    input.Encrypt = chkEncrypt->isChecked();
    input.Save = chkSave->isChecked();
    input.Color = cbxPersonalColor->Selected();
    return input;
}

// --- Saved connections ---------------------------------------------------------------------

QStringList TfrmLogon::SubItems(int index) const
{
    return index >= 0 && index < lstUserID->ItemCount() ? lstUserID->Item(index).SubItems : QStringList();
}

void TfrmLogon::LoadConnectionList()
{
    LoadList(true);
}

void TfrmLogon::LoadList(bool takeMatchingEntry)
{
    QStringList names;
    QStringList order;
    {
        TzkRegistry reg;
        if (reg.KeyExists(kDatabaseKey) && reg.OpenKey(kDatabaseKey, false)) {
            names = reg.GetKeyNames();
            order = TextToList(reg.GetString(QStringLiteral("Sort"), ListToText(names)));
        }
    }
    // Each existing subkey once: at its last place in the order, or after
    // the ordered ones when the order does not name it.
    for (qsizetype i = order.size() - 1; i >= 0; --i) {
        const auto at =
            std::find_if(names.begin(), names.end(), [&](const QString &name) { return sameText(name, order.at(i)); });
        if (at != names.end())
            names.erase(at);
        else
            order.removeAt(i);
    }
    order << names;

    lstUserID->ClearItems();
    for (const QString &name : std::as_const(order)) {
        TzkRegistry reg;
        if (!reg.OpenKey(kDatabaseKey + QLatin1Char('\\') + name, false))
            continue;
        const QString server = reg.GetString(QStringLiteral("Server"), QString());
        const QString database = reg.GetString(QStringLiteral("Database"), QString());
        QStringList subItems(9);
        subItems[siDisplay] = database.isEmpty() ? server : server + QLatin1Char('.') + database;
        subItems[siComment] = reg.GetString(QStringLiteral("Comment"), QString());
        subItems[siPassword] = UnscrambleText(reg.GetString(QStringLiteral("Password"), QString()));
        subItems[siServer] = server;
        subItems[siDatabase] = database;
        subItems[siWindows] = reg.GetString(QStringLiteral("Windows"), QStringLiteral("0"));
        subItems[siKey] = name;
        subItems[siForeColor] = QString::number(reg.GetInteger(QStringLiteral("ForegroundColor"), 0));
        subItems[siBackColor] = QString::number(reg.GetInteger(QStringLiteral("BackgroundColor"), clBtnFace));
        // Its own colour mark: the image of the same index.
        const int index = lstUserID->ItemCount();
        lstUserID->AddItem(reg.GetString(QStringLiteral("UserID"), QString()), index, subItems);
    }

    if (takeMatchingEntry) {
        int match = -1;
        for (int i = 0; i < lstUserID->ItemCount(); ++i) {
            const QStringList sub = SubItems(i);
            if (sameText(lstUserID->Item(i).Caption, txtUserID->text())
                && sameText(sub[siDatabase], cmbDataBase->text()) && sameText(sub[siServer], txtServer->text()))
                match = i;
        }
        if (match >= 0) {
            const QStringList sub = SubItems(match);
            txtComment->setText(sub[siComment]);
            txtPassword->setText(sub[siPassword]);
            cbxPersonalColor->setCurrentIndex(0);
            cbxPersonalColor->SetSelected(colorOfText(sub[siBackColor]));
        }
    }
    RefreshColorMarks();
    UpdateActions();
}

void TfrmLogon::RefreshColorMarks()
{
    const QSize size(16, 16);
    imgLogonList = TzkImageList();
    for (int i = 0; i < lstUserID->ItemCount(); ++i) {
        const TzkListItem &item = lstUserID->Item(i);
        imgLogonList.SetIcon(item.ImageIndex, colorSwatch(colorOfText(item.SubItem(siBackColor)), size));
    }
    lstUserID->SetImages(&imgLogonList);
}

void TfrmLogon::SaveConnectionList(bool Connected)
{
    QStringList order;
    for (int i = 0; i < lstUserID->ItemCount(); ++i)
        order << SubItems(i).value(siKey);

    const bool windows = chkSQLWindow->isChecked();
    const TColor color = cbxPersonalColor->Selected();
    {
        TzkRegistry reg;
        if (reg.OpenKey(kDatabaseKey, true)) {
            if (Connected) {
                reg.WriteString(QStringLiteral("UserID"), txtUserID->text());
                reg.WriteString(QStringLiteral("Database"), cmbDataBase->text());
                reg.WriteString(QStringLiteral("Server"), txtServer->text());
                reg.WriteString(QStringLiteral("Windows"), windowsText(windows));
                reg.WriteBool(QStringLiteral("EncryptOption"), chkEncrypt->isChecked());
            }
            reg.WriteString(QStringLiteral("Sort"), ListToText(order));
        }
    }
    if (!chkSave->isChecked())
        return;

    int found = -1;
    for (int i = 0; i < lstUserID->ItemCount() && found < 0; ++i) {
        const QStringList sub = SubItems(i);
        if (sameText(lstUserID->Item(i).Caption, txtUserID->text()) && sameText(sub[siDatabase], cmbDataBase->text())
            && sameText(sub[siServer], txtServer->text()) && sameText(sub[siWindows], windowsText(windows)))
            found = i;
    }
    TzkRegistry reg;
    auto writeEntry = [&] {
        reg.WriteString(QStringLiteral("Password"), ScrambleText(txtPassword->text()));
        reg.WriteString(QStringLiteral("Server"), txtServer->text());
        reg.WriteString(QStringLiteral("Windows"), windowsText(windows));
        reg.WriteString(QStringLiteral("Comment"), txtComment->text());
        reg.WriteInteger(QStringLiteral("ForegroundColor"), TzkConnectionManager::GetInvertColor(color));
        reg.WriteInteger(QStringLiteral("BackgroundColor"), color);
        reg.WriteBool(QStringLiteral("EncryptOption"), chkEncrypt->isChecked());
    };
    if (found >= 0) {
        if (reg.OpenKey(kDatabaseKey + QLatin1Char('\\') + SubItems(found).value(siKey), true))
            writeEntry();
    } else if (Connected) {
        QStringList existing;
        if (reg.OpenKey(kDatabaseKey, true))
            existing = reg.GetKeyNames();
        reg.CloseKey();
        QString name;
        for (int n = 0;; ++n) {
            name = QString::asprintf("DB%.3d", n);
            if (!existing.contains(name, Qt::CaseInsensitive))
                break;
        }
        if (reg.OpenKey(kDatabaseKey + QLatin1Char('\\') + name, true)) {
            reg.WriteString(QStringLiteral("UserID"), txtUserID->text());
            reg.WriteString(QStringLiteral("Database"), cmbDataBase->text());
            writeEntry();
        }
    }
}

// --- Layout ----------------------------------------------------------------------------------

void TfrmLogon::LoadLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    resize(reg.GetInteger(QStringLiteral("Width"), kDesignWidth),
           reg.GetInteger(QStringLiteral("Height"), kDesignHeight));
    lstUserID->SetColumnWidth(0, reg.GetInteger(QStringLiteral("Col0"), 100));
    lstUserID->SetColumnWidth(1, reg.GetInteger(QStringLiteral("Col1"), 200));
}

void TfrmLogon::SaveLayout()
{
    TzkRegistry reg;
    if (!reg.OpenKey(kLayoutKey, true))
        return;
    reg.WriteInteger(QStringLiteral("Width"), width());
    reg.WriteInteger(QStringLiteral("Height"), height());
    reg.WriteInteger(QStringLiteral("Col0"), lstUserID->ColumnWidth(0));
    reg.WriteInteger(QStringLiteral("Col1"), lstUserID->ColumnWidth(1));
}

// --- Events ------------------------------------------------------------------------------------

int TfrmLogon::SelectedItem() const
{
    return lstUserID->SelectedIndex();
}

void TfrmLogon::UpdateActions()
{
    const int index = SelectedItem();
    actUp->setEnabled(index > 0);
    actDown->setEnabled(index >= 0 && index < lstUserID->ItemCount() - 1);
    actDel->setEnabled(index >= 0);
    // Taken as they are: a login of blanks enables the button and is refused
    // by OK.
    actOk->setEnabled((chkSQLWindow->isChecked() || !txtUserID->text().isEmpty()) && !txtServer->text().isEmpty());
}

void TfrmLogon::lstUserIDSelected()
{
    const int item = SelectedItem();
    if (item < 0)
        return;
    const QStringList sub = SubItems(item);
    txtUserID->setText(lstUserID->Item(item).Caption);
    txtPassword->setText(sub.value(siPassword));
    txtServer->setText(sub.value(siServer));
    cmbDataBase->setText(sub.value(siDatabase));
    txtComment->setText(sub.value(siComment));
    chkSQLWindow->setChecked(sub.value(siWindows) != QLatin1String("0"));
    cbxPersonalColor->SetSelected(colorOfText(sub.value(siBackColor)));
}

void TfrmLogon::chkSQLWindowClick()
{
    const bool sqlLogin = !chkSQLWindow->isChecked();
    for (TzkStrEdit *e : {txtUserID, txtPassword}) {
        e->setEnabled(sqlLogin);
        if (!sqlLogin)
            e->clear();
    }
}

void TfrmLogon::actOkExecute()
{
    UpdateActions();
    if (!actOk->isEnabled())
        return;
    // Never the password: blanks at its ends are part of it.
    for (TzkStrEdit *e : {txtUserID, txtServer, cmbDataBase})
        e->setText(e->text().trimmed());
    if (!chkSQLWindow->isChecked() && txtUserID->text().isEmpty()) {
        ShowAppMessageFmt(QStringLiteral("%sを入力して下さい。"), {QStringLiteral("ユーザー名")}, MB_ICONWARNING);
        txtUserID->setFocus();
        return;
    }
    if (txtServer->text().isEmpty()) {
        ShowAppMessageFmt(QStringLiteral("%sを入力して下さい。"), {QStringLiteral("サーバー")}, MB_ICONWARNING);
        txtServer->setFocus();
        return;
    }
    accept();
}

void TfrmLogon::MoveSelected(int distance)
{
    const int index = SelectedItem();
    if (index < 0)
        return;
    const int target = index + distance;
    if (target < 0 || target >= lstUserID->ItemCount())
        return;
    // The item keeps its colour mark, its selection and the focus.
    lstUserID->MoveItem(index, target);
    lstUserID->MakeVisible(target);
    lstUserID->setFocus();
    UpdateActions();
}

void TfrmLogon::actDelExecute()
{
    const int item = SelectedItem();
    if (item < 0)
        return;
    {
        TzkRegistry reg;
        if (reg.OpenKey(kDatabaseKey, true)) {
            const QString name = SubItems(item).value(siKey);
            if (!name.isEmpty())
                reg.DeleteKey(name);
        }
    }
    lstUserID->DeleteItem(item);
    UpdateActions();
}

void TfrmLogon::actConnectionExecute()
{
    const bool save = chkSave->isChecked();
    chkSave->setChecked(true);
    try {
        SaveConnectionList(false);
    } catch (...) {
        chkSave->setChecked(save);
        throw;
    }
    chkSave->setChecked(save);
    LoadConnectionList();
    if (TfrmConnection::ShowWindow(lstUserID)) {
        LoadConnectionList();
        ShowAppMessage(QStringLiteral("接続情報を取り込みました。"), MB_ICONINFORMATION);
    }
}

bool TfrmLogon::lstUserIDKeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        actOk->trigger();
        return true;
    }
    if (key == Qt::Key_Delete) {
        if (actDel->isEnabled())
            actDel->trigger();
        return true;
    }
    return false;
}
