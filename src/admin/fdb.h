#pragma once

#include "editors/fobjecteditor.h"

#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QToolButton;
class QWidget;
class TFDQuery;
class TfraGrant;
class TfraMemo;
class TzkCheckBox;
class TzkComboBox;
class TzkNumEdit;
class TzkRadioButton;
class TzkStrEdit;
class TzkStringGrid;

// The database editor: collation, files with their growth, filegroups,
// options, owner, source and privileges of one database, or of a new one
// (empty name). Opened by RegisterAdminWindows' factory for the kinds 1,
// 116 and 118.
class Tfrmdb : public TfrmObjectEditor
{
    Q_OBJECT
public:
    explicit Tfrmdb(TfrmObject *owner);
    ~Tfrmdb() override;

    QString WindowCaption() const override;
    void ChangedIsNew() override;

    void PrepareQueries();
    // Loads an existing database into the controls and records their
    // values as unchanged; raises EAbort (after the message in a shown
    // window) when the database is not found.
    void LoadDefinition(bool WithDrop);
    void ShowFileGrowth(int ARow);
    void StoreFileGrowth(int ARow);
    void PrintDefinition();
    void FormResize();
    bool IsSourceTabHidden() const;
    bool IsCurrentDatabaseMaster() const;

    // The growth edits when they are left: a value below 1 warns and keeps
    // the focus (the MB and maximum edits end with EAbort).
    void txtMaxsizeExit();
    void txtMbSizeExit();
    void txtPersentSizeExit();

    // The option grid.
    void FillOptionItems();
    void FillOptionGrid();
    void ShowOptionItems();
    void ShowOptionValues();
    void ListLanguageAliases(QStringList &Items);
    QString GetLanguageLcid(const QString &Alias);
    QString GetLanguageAlias(const QString &Lcid);
    // Whether column 1 of an option row can be edited now.
    bool OptionValueEditable(int ARow) const;
    // Whether an option row is painted as a heading now.
    bool OptionRowGrey(int ARow) const;
    void grdSettingSelectCell(int ACol, int ARow, bool &CanSelect);
    void grdSettingGetPickListitems(int ACol, int ARow, QStringList &Items);
    void cmbContainmentChange();

    // --- Issue-70 stubs: the creation and alteration scripts. ---
    QStringList BuildCreateScript();
    QStringList BuildDropScript() const override;

    // --- State ---
    QStringList FOptionItems;
    QStringList FOptionValues;
    QString G_RootDir;
    int G_FGrpRowCnt = 0;
    QString G_UserName;
    // The queries' texts as PrepareQueries set them.
    TFDQuery *qrySyogo = nullptr;
    TFDQuery *qryRootDir = nullptr;
    TFDQuery *qryDataFile = nullptr;
    TFDQuery *qryfilegroup = nullptr;
    TFDQuery *qryOption = nullptr;

    // --- Controls ---
    QWidget *pnlPersonalColor = nullptr;
    QWidget *pnlUser = nullptr;
    TzkComboBox *cmbUser = nullptr;
    TzkStrEdit *txtName = nullptr;
    TzkObjectPages *pagObject = nullptr;
    QWidget *tabDefine = nullptr;
    QWidget *tabFileGrp = nullptr;
    QWidget *taboption = nullptr;
    QWidget *tabSource = nullptr;
    QWidget *tabGrant = nullptr;
    QWidget *pnlAll = nullptr;
    TzkComboBox *cmbSyogo = nullptr;
    TzkCheckBox *chkFullTextIndex = nullptr;
    QGroupBox *grpFile = nullptr;
    QToolButton *btnColDelete = nullptr;
    TzkStringGrid *grdFile = nullptr;
    TzkCheckBox *chkAutoExt = nullptr;
    QWidget *pnlAutoExt = nullptr;
    QGroupBox *rdgrpExt = nullptr;
    TzkRadioButton *radExtPercent = nullptr;
    TzkRadioButton *radExtMb = nullptr;
    TzkNumEdit *txtPersentSize = nullptr;
    TzkNumEdit *txtMbSize = nullptr;
    QGroupBox *rdgrpfileMax = nullptr;
    TzkRadioButton *radMaxLimited = nullptr;
    TzkRadioButton *radMaxUnlimited = nullptr;
    TzkNumEdit *txtMaxsize = nullptr;
    QWidget *pnlAzure = nullptr;
    TzkComboBox *cmbSyogoAzure = nullptr;
    TzkCheckBox *chkFullTextIndexAzure = nullptr;
    TzkComboBox *cmbSize = nullptr;
    TzkComboBox *cmbEdition = nullptr;
    QToolButton *Btngrpdel = nullptr;
    TzkStringGrid *grdFileGroup = nullptr;
    TzkCheckBox *ChkAccess = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    TzkRadioButton *radbtnsingle = nullptr;
    TzkRadioButton *radbtndbowner = nullptr;
    TzkCheckBox *chkReadOnly = nullptr;
    QLabel *lblBkMode = nullptr;
    TzkComboBox *cmbBkMode = nullptr;
    QLabel *lblGokan = nullptr;
    TzkComboBox *cmbGokan = nullptr;
    QGroupBox *grpSetting = nullptr;
    TzkCheckBox *chkAnsiNull = nullptr;
    TzkCheckBox *chkTrigger = nullptr;
    TzkCheckBox *chkAutoUpdate = nullptr;
    TzkCheckBox *chkPageVerify = nullptr;
    TzkCheckBox *chkAutoClose = nullptr;
    TzkCheckBox *chkAutoShrink = nullptr;
    TzkCheckBox *chkAutoCreate = nullptr;
    TzkCheckBox *chkQuote = nullptr;
    TzkCheckBox *chkMultiDB = nullptr;
    TzkStringGrid *grdSetting = nullptr;
    QLabel *lblContainment = nullptr;
    TzkComboBox *cmbContainment = nullptr;
    TfraMemo *fraMemo = nullptr;
    TfraGrant *fraGrant = nullptr;

protected:
    QString TypeWord() const override { return QStringLiteral("データベース"); }
    QString LayoutKey() const override { return QStringLiteral("DATABASE"); }
    bool LoadObject() override;
    QWidget *NameField() const override;
    QStringList BuildCompileScript() override;
    QStringList BuildScript(bool drop) const override;
    void EnableNameFields(bool enabled) override;
    bool SourceTabActive() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void CreateControls();
    // The constructor's steps that need the names: they run once, before
    // the first load or caption.
    void Prepare();
    void SaveControls();
    void growthExit(TzkNumEdit *edit, bool abort);
    // -1 when no item is chosen.
    int ExtIndex() const;
    int MaxIndex() const;
    QString OptionCaption(int ARow) const;

    bool m_prepared = false;
    int m_serverVersion = 0; // the data module's, for the combo and the layout
};

// Registers the database editor in the opening table.
void RegisterAdminWindows();
