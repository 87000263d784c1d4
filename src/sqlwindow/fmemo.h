#pragma once

// The long-text editor: one text value in a multi-line editor, with an
// optional NULL box, as the grids open it from a cell's edit button.
//
//   QString text = field->AsString();
//   bool isNull = field->IsNull();
//   if (TfrmMemo::ShowWindow(text, isNull, true, readOnly) == 1)
//       ...                           // text and isNull hold the new value

#include <QDialog>

class QCheckBox;
class QPushButton;
class QWidget;
class TzkMemo;

class TfrmMemo : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmMemo(QWidget *parent = nullptr);
    ~TfrmMemo() override;

    // Shows the dialog modally; returns 1 for OK, when AComment and
    // NullChecked take the editor's text and the box's state. A read-only
    // call can only be cancelled.
    static int ShowWindow(QString &AComment, bool &NullChecked, bool ShowNull, bool ReadOnly);

    TzkMemo *txtComment;
    QCheckBox *chkNull;
    QPushButton *btnOk;
    QPushButton *btnCancel;
    QWidget *pnlButtom;
    QWidget *pnlButtons;

    void txtCommentChange();
    void LoadLayout();
    void SaveLayout();

    // Closing the window is a cancel.
    void reject() override { done(2); }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void PlaceButtons();
    bool m_centred = false;
};

// Lets the result frames open the editor.
void RegisterMemoWindow();
