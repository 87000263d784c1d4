#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class TfrmObject;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// The frame both database selection dialogs share: a label, a check list of
// databases and OK / キャンセル. OK needs one ticked database at least.
class TzkDatabaseCheckDialog : public QDialog
{
    Q_OBJECT
public:
    // Lists the owner's accessible databases; a failing list raises here,
    // before anything shows.
    TzkDatabaseCheckDialog(TfrmObject *owner, const QString &caption, const QString &label,
                           const QString &noneTickedMessage);

    // Ticks the listed databases (any case); names not in the list are passed over.
    void Tick(const QStringList &names);
    void TickAll(bool ticked);
    // The ticked databases in list order.
    QStringList Ticked() const;
    // Further buttons under キャンセル.
    void AddButtons(const QList<QPushButton *> &buttons);
    // Shows modally, centred on the screen; true on OK.
    bool Execute();

    QLabel *lblTitle = nullptr;
    QListWidget *chkUserList = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void btnOKClick();

    QString m_noneTicked;
    QVBoxLayout *m_buttons = nullptr;
};
