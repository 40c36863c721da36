// The build dialog fmBuild: whether the generated unit defines one of the two languages
// itself, and which. It lives as long as the program; the check box keeps its state from one
// build to the next, while the list is refilled from the project record at every showing.
#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QListWidget;
class QPushButton;

namespace parlix {

class Dialogs;
class Tdm1;

class TfmBuild : public QDialog {
    Q_OBJECT
  public:
    TfmBuild(Tdm1& dm1, Dialogs& dialogs, QWidget* parent);

    // --- Controls ---
    QFrame* Panel1 = nullptr;
    QCheckBox* cbDefine = nullptr;
    QListWidget* lbLanguages = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

    // --- Handlers ---
    // Fills lbLanguages with the project record's two languages and selects the first.
    void FormShow();
    // Shows the list exactly while the box is checked.
    void cbDefineClick();
    // Sets BuildLanguage (0, or the selected entry's number when cbDefine is checked) and
    // closes with OK.
    void btOKClick();
    void btCancelClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();

    Tdm1& dm1_;
    Dialogs& dialogs_;
};

}  // namespace parlix
