// The export options dialog fmExport: the BCP 47 codes of the two languages, whether only the
// untranslated rows go out, and the delimiter of a CSV file. It lives as long as the exchange
// flow, so that the choices stay from one export to the next; the flow fills in the languages
// before every showing.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace parlix {

class Dialogs;

class TfmExport : public QDialog {
    Q_OBJECT
  public:
    TfmExport(Dialogs& dialogs, QWidget* parent);

    // --- Controls ---
    QLabel* lbSource = nullptr;
    QLineEdit* leSourceCode = nullptr;
    QLabel* lbTarget = nullptr;
    QLineEdit* leTargetCode = nullptr;
    QCheckBox* cbUntranslated = nullptr;
    QComboBox* cbDelimiter = nullptr;  // "Semikolon (;)", "Komma (,)"
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

    // Names the languages (language 1 the source, 2 the target) and offers their codes.
    void SetLanguages(const QString& name1, const QString& code1, const QString& name2,
                      const QString& code2);
    // The codes as entered, without blanks at either end.
    QString SourceCode() const;
    QString TargetCode() const;
    char Delimiter() const;

    // Closes with OK when both codes are well-formed BCP 47 tags; otherwise says which is not
    // and keeps the dialog open on that field.
    void btOKClick();

  private:
    void CreateControls();

    Dialogs& dialogs_;
};

}  // namespace parlix
