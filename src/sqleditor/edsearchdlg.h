#pragma once

#include "editorcontrol/edtextsearch.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class IzkSearchDialogs;

// The registry keys of the dialogs.
QString EditSearchKey();
QString EditReplaceKey();

// A text history as the dialogs keep it: Text goes first, its earlier
// occurrence (compared with case) goes, and at most 32 entries stay.
void AddSearchHistory(QStringList &History, const QString &Text);
// A history as stored: each entry followed by CR LF, most recent first.
QString SearchHistoryToText(const QStringList &History);
QStringList SearchHistoryFromText(const QString &Text);

// The action buttons' own change to the caller's options, and then the check
// boxes' (one box stands for sfrIncludeCRLF and sfrIncludeSpace; the replace
// dialog always sets sfrReplaceConfirm). Other bits pass through.
enum class TSearchButton { FindNext, FindPrev, Replace, AllReplace };
TSearchOptions ApplySearchButton(TSearchOptions Options, TSearchButton Button, bool Replace);
TSearchOptions ApplySearchChecks(TSearchOptions Options, bool Replace, bool MatchCase, bool WholeWord,
                                 bool IncludeCRLF);

// The part both dialogs share: histories, check boxes and the stored position.
class TfrmEditSearchBase : public QDialog
{
    Q_OBJECT
public:
    QString ZK_VER;
    QString L_sSearchText;
    QString L_sReplaceText;
    TSearchOptions L_wSearchOptions = 0;
    bool L_bNotFindMsg = false;
    bool L_bResearch = false;

    QLabel *lblSearch = nullptr;
    QComboBox *cmbSearch = nullptr;
    QLabel *lblReplace = nullptr;
    QComboBox *cmbReplace = nullptr;
    QGroupBox *grpOption = nullptr;
    QCheckBox *chkMatchCase = nullptr;
    QCheckBox *chkWholeWord = nullptr;
    QCheckBox *chkIncludeCRLF = nullptr;
    QCheckBox *chkNotFindMsg = nullptr;
    QCheckBox *chkResearch = nullptr;
    QPushButton *btnFindPrev = nullptr;
    QPushButton *btnFindNext = nullptr;
    QPushButton *btnReplace = nullptr;
    QPushButton *btnAllReplace = nullptr;
    QPushButton *btnCancel = nullptr;

    TSearchOptions GetOptions() const;
    void done(int Result) override;

protected:
    TfrmEditSearchBase(bool Replace, QWidget *Owner);
    // Places the form, takes the caller's values and runs the dialog; true
    // for OK with a search text.
    bool run(const QString &SearchText, const QString &ReplaceText, TSearchOptions Options, bool NotFindMsg,
             bool Research);

private:
    QString ownKey() const { return m_replace ? EditReplaceKey() : EditSearchKey(); }
    void LoadFormPosition();
    void SaveFormPosition();
    void LoadDialogSettings();
    void SaveDialogSettings();
    void TakeInput(TSearchButton Button);

    bool m_replace = false;
};

// "検索": the search text with its history and the search options.
class TfrmEditSearch : public TfrmEditSearchBase
{
    Q_OBJECT
public:
    explicit TfrmEditSearch(QWidget *Owner);
    static bool Execute(QString &SearchText, TSearchOptions &SearchOptions, bool &NotFindMsg, bool &Research);
};

// The dialogs of every SQL editor; the main window installs them at start-up.
IzkSearchDialogs *StandardSearchDialogs();
