// The long-text dialog fmTextInput: one value of the translation table's current record (a
// record's property list or one of its translations) in a multi-line box, where a long text
// is easier to read and edit than in a grid cell. The grid's ellipsis button fills it, shows
// it and writes the text back; the dialog itself only checks that the text can be stored.
#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace parlix {

class Dialogs;

class TfmTextInput : public QDialog {
    Q_OBJECT
  public:
    TfmTextInput(Dialogs& dialogs, QWidget* parent);

    // --- Controls ---
    QFrame* Panel1 = nullptr;
    QLabel* LMemoCaption = nullptr;
    QPlainTextEdit* mProperties = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btCancel = nullptr;

    // The most characters the value may have, set before each use (the size of the field
    // edited); 0 sets no limit.
    int MaxLength = 0;

    // The text of mProperties with every line break removed: the lines joined with nothing
    // between them.
    QString JoinedText() const;

    // --- Handlers ---
    // Closes with OK when the joined text can be stored; otherwise says why and stays open.
    void btSaveClick();
    void btCancelClick();

  protected:
    // The keyboard goes to the text, the caret to its start, nothing selected.
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();

    Dialogs& dialogs_;
};

}  // namespace parlix
