// The project settings dialog fmEditProject: the two language names, the source unit that
// Build writes, the number of backups and the units of the uses clause. It only validates and
// closes; the flows fill it, show it and read it. It lives as long as the program and keeps
// what the user left in it between uses.
#pragma once

#include <QDialog>
#include <QStringList>

#include "ui/dialogs.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace parlix {

class TfmEditProject : public QDialog {
    Q_OBJECT
  public:
    // The dialog's result: none while it is open, OK, Cancel, or the value by which a failed
    // check keeps it open.
    enum ModalResultValue {
        mrNone = -1,
        mrCancel = QDialog::Rejected,
        mrOk = QDialog::Accepted,
        mrKeepOpen = 2,
    };

    // The longest texts, after trimming, that the project record holds; longer ones would be
    // cut when stored. The flows may widen them for a project whose file has wider fields.
    struct TextLimits {
        int sourceFile = 128;
        int language[3] = {0, 32, 32};  // rows 1 and 2
        int uses = 255;
    };

    TfmEditProject(Dialogs& dialogs, QWidget* parent);

    // --- Controls ---
    QFrame* Panel1 = nullptr;
    QLabel* leSourceNameLabel = nullptr;
    QLineEdit* leSourceName = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QTableWidget* sgLanguages = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbBackups = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* mUses = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btCancel = nullptr;

    // The source-unit chooser and the project save dialog.
    FileDialogOptions odFileName;
    FileDialogOptions sdProjectSave;

    int ModalResult = mrNone;
    TextLimits Limits;

    // --- What the flows read and fill ---
    // Row 1 or 2 of sgLanguages (row 0 is the title "Sprachen").
    QString LanguageText(int row) const;
    void SetLanguageText(int row, const QString& text);
    // Selects the entry of `count`; a count outside 0 to 5 selects the nearest entry.
    void SetBackupCount(int count);
    // The lines of mUses as the user typed them.
    QStringList UsesLines() const;

    // --- Handlers ---
    void FormCreate();
    void SpeedButton2Click();
    void odFileNameSelectionChange(const QString& fileName);
    void btSaveClick();
    void btCancelClick();
    bool FormCloseQuery(int result) const;

    // Closes with `result` if FormCloseQuery allows it; otherwise the dialog stays open.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    bool Validate();
    void CreateControls();

    Dialogs& dialogs_;
};

}  // namespace parlix
