#pragma once

#include "platform/graphics/colors.h"

#include "core/zkimagelist.h"

#include <QComboBox>
#include <QDialog>
#include <QStringList>

class QAction;
class QKeyEvent;
class QPushButton;
class TzkCheckBox;
class TzkListView;
class TzkStrEdit;

// The identification-colour box of the logon: its first entry is the custom
// colour (chosen in the colour dialog), then the named colours. Each entry
// shows a swatch of its colour.
class TColorBoxEx : public QComboBox
{
    Q_OBJECT
public:
    explicit TColorBoxEx(QWidget *parent = nullptr);

    // Leaves only the custom entry.
    void ClearNamedColors();
    void AddColor(const QString &caption, TColor color);
    TColor ColorAt(int index) const;

    // The colour of the selected entry; the default colour when none is.
    TColor Selected() const;
    // Selects the named entry with the colour, else the custom entry holding
    // it.
    void SetSelected(TColor color);

    TColor DefaultColor() const { return m_default; }
    void SetDefaultColor(TColor color) { m_default = color; }

    // The user chose the custom entry: the colour dialog. True, with the
    // chosen colour selected, when the user confirmed it; false leaves the
    // selection as it was.
    virtual bool PickCustomColor();

private:
    void setItemColor(int index, TColor color);
    void userActivated(int index);

    TColor m_default = clBtnFace;
    int m_lastIndex = -1;
};

// The logon dialog with the saved connections. ShowWindow runs the whole
// logon: a successful one leaves a connection window and stores the
// connection; a failed one shows the server's error and opens the dialog
// again with everything the user typed.
class TfrmLogon : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmLogon(QWidget *owner);
    ~TfrmLogon() override;

    // The dialog prefilled with the arguments (or, without a login, with the
    // last logon's values); AutoPass logs on with them without showing it.
    // True when a connection window was created.
    static bool ShowWindow(const QString &DBName, const QString &UserID, const QString &Password, const QString &Server,
                           bool AutoPass);

    // The saved connections of the DATABASE key, in their stored order.
    void LoadConnectionList();
    // Stores the order, with Connected the last logon's values, and with
    // "save to list" checked the typed connection.
    void SaveConnectionList(bool Connected);
    void RefreshColorMarks();

    // The values a saved connection's list item holds, by position: display
    // text, comment, password, server, database, authentication text ("0"
    // for SQL Server authentication), subkey name, text colour, background
    // colour.
    enum TSubItem {
        siDisplay,
        siComment,
        siPassword,
        siServer,
        siDatabase,
        siWindows,
        siKey,
        siForeColor,
        siBackColor
    };
    // The sub-items of the list's item; empty for an index out of range.
    QStringList SubItems(int index) const;

    TzkListView *lstUserID = nullptr;
    TzkImageList imgLogonList; // one colour mark per list item
    TzkCheckBox *chkSQLWindow = nullptr;
    TzkStrEdit *txtUserID = nullptr;
    TzkStrEdit *txtPassword = nullptr;
    TzkStrEdit *txtServer = nullptr;
    TzkStrEdit *cmbDataBase = nullptr;
    TzkStrEdit *txtComment = nullptr;
    TColorBoxEx *cbxPersonalColor = nullptr;
    TzkCheckBox *chkEncrypt = nullptr;
    TzkCheckBox *chkSave = nullptr;
    QAction *actOk = nullptr;
    QAction *actCancel = nullptr;
    QAction *actUp = nullptr;
    QAction *actDown = nullptr;
    QAction *actDel = nullptr;
    QAction *actConnection = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    // Everything the user can type or choose, kept for a retry.
    struct TLogonInput
    {
        QString DataBase;
        QString UserID;
        QString Password;
        QString Server;
        QString Comment;
        bool Windows = false;
        bool Encrypt = false;
        bool Save = false;
        TColor Color = clBtnFace;
    };

    void CreateComponents();
    void CreateColorBox();
    void Prefill(const QString &DBName, const QString &UserID, const QString &Password, const QString &Server);
    void Restore(const TLogonInput &input);
    TLogonInput Input() const;
    void LoadList(bool takeMatchingEntry);
    void LoadLayout();
    void SaveLayout();
    int SelectedItem() const;
    void MoveSelected(int distance);
    void UpdateActions();

    void lstUserIDSelected();
    bool lstUserIDKeyDown(QKeyEvent *event);
    void chkSQLWindowClick();
    void actOkExecute();
    void actDelExecute();
    void actConnectionExecute();
};
