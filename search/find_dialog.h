// "Suchen und Ersetzen": finds a text in the rows the grid shows, forward or backward and
// around the end, in all columns or only the two language columns, with or without regard to
// case and as a whole word; replaces one match or all of them (one step to undo). A
// replacement that would make a text longer than its field holds is never cut: that cell is
// left alone and reported.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "search/table_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace parlix {

class Dialogs;
class EditHistory;
class TableModel;

class TfmFindReplace : public QDialog {
    Q_OBJECT
  public:
    // What the dialog needs of the windows around it.
    struct Hooks {
        // The grid's current column, or -1.
        std::function<int()> currentColumn;
        // Shows a match: selects the cell of the table row and column.
        std::function<void(int row, int column)> showMatch;
        // Tells something in passing (the status bar).
        std::function<void(const QString& text)> tell;
        // Whether only the language columns may be searched (translate mode).
        std::function<bool()> languageColumnsOnly;
    };

    TfmFindReplace(TableModel& rows, EditHistory& history, Dialogs& dialogs, Hooks hooks,
                   QWidget* parent);

    QLineEdit* leFind = nullptr;
    QLineEdit* leReplace = nullptr;
    QCheckBox* cbMatchCase = nullptr;
    QCheckBox* cbWholeWords = nullptr;
    QRadioButton* rbAllColumns = nullptr;
    QRadioButton* rbLanguageColumns = nullptr;
    QPushButton* btFindNext = nullptr;
    QPushButton* btFindPrevious = nullptr;
    QPushButton* btReplace = nullptr;
    QPushButton* btReplaceAll = nullptr;
    QPushButton* btClose = nullptr;

    // The buttons' handlers. Each returns whether it found (or replaced) anything.
    bool FindNext(bool forward = true);
    bool ReplaceOne();
    int ReplaceAll();  // the number of replacements

  private:
    void CreateControls();
    // The pattern of leFind; nothing when it is empty or holds a character Windows-1252 cannot
    // hold (then nothing can match).
    std::optional<TextPattern> Pattern() const;
    SearchScope Scope() const;
    // Where the next search starts: after the last match when the cursor is still on it.
    CellPosition StartFor(bool forward) const;
    // The last match, when the table's cursor and the grid still show it.
    const CellMatch* CurrentMatch() const;
    void NotFound();

    TableModel& rows_;
    EditHistory& history_;
    Dialogs& dialogs_;
    Hooks hooks_;
    std::optional<CellMatch> last_;
};

}  // namespace parlix
