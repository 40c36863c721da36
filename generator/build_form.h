// The build dialog fmBuild: the file the unit goes to, whether the unit defines one of the two
// languages itself, and which, and its character set. It lives as long as the program; the
// check box and the character set keep their state from one build to the next, while the list
// is refilled from the project record at every showing.
#pragma once

#include <QDialog>

#include "generator/unit_encoding.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
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
    QLabel* lbTarget = nullptr;  // "Ziel: " and the unit's path
    QCheckBox* cbDefine = nullptr;
    QListWidget* lbLanguages = nullptr;
    QLabel* lbEncoding = nullptr;     // "Zeichensatz der Unit:"
    QComboBox* cbEncoding = nullptr;  // entries in the order of UnitEncodingChoice
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

    // The character set chosen for the unit; the first entry is UTF-8 for a project whose
    // forms are Lazarus forms (a Lazarus program's strings are UTF-8).
    UnitEncodingChoice EncodingChoice() const;

    // --- Handlers ---
    // Names the target file and the character set of the unit there (UTF-8 for a project
    // with Lazarus forms), and fills lbLanguages
    // with the project record's two languages and selects the first.
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
    bool lazarusForms_ = false;  // the project's forms are .lfm (at the last showing)
};

}  // namespace parlix
