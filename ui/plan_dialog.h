// The pieces of the dialogs that show what a planned change would do before it is applied (the
// import report, the sync with the forms): a count beside its label, a read-only list of lines,
// and the dialog's column of heading, counts, list, summary and the buttons "Übernehmen" and
// "Abbrechen".
#pragma once

#include <QStringList>
#include <cstddef>

class QDialog;
class QLabel;
class QLayout;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace parlix {

// A count, named for tests to find.
QLabel* CountLabel(QWidget* parent, const char* name, std::size_t count);

// A cell that can be selected but not edited, its text also its tool tip (lines are cut).
QTableWidgetItem* ReadOnlyCell(const QString& text);

// A list of whole-row lines with these column titles, on one line each, the last column wide.
QTableWidget* PlanLines(QWidget* parent, const char* name, const QStringList& titles);

struct PlanButtons {
    QPushButton* apply;   // "Übernehmen", accepting the dialog
    QPushButton* cancel;  // "Abbrechen", rejecting it
};

// Lays the dialog out from top to bottom. The list, once filled, is made as high as its lines up
// to `shownLines` (with room for a horizontal scroll bar) and hidden when it has none.
PlanButtons LayOutPlanDialog(QDialog& dialog, QWidget* heading, QLayout* counts,
                             QTableWidget* lines, QLabel* summary, int shownLines);

}  // namespace parlix
