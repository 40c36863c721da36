// The import report fmImportReport: what a planned import would do to the translation table
// (the counts of new, changed, unchanged, unknown, refused and untranslated units and drafts,
// and the units that are not taken over with their key, line and reason), and the choice to apply
// it or not. It is made for one plan and shown once.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace parlix {

namespace exchange {
struct ImportPlan;
}

class TfmImportReport : public QDialog {
    Q_OBJECT
  public:
    // `targetName` is the name of the column the import writes (language 2).
    TfmImportReport(const exchange::ImportPlan& plan, const QString& targetName, QWidget* parent);

    // At most this many units are listed; a last line tells how many more there are.
    static constexpr int kListedUnits = 1000;

    // --- Controls ---
    QLabel* lbFile = nullptr;
    QLabel* lbNew = nullptr;
    QLabel* lbChanged = nullptr;
    QLabel* lbUnchanged = nullptr;
    QLabel* lbUnknown = nullptr;
    QLabel* lbRefused = nullptr;
    QLabel* lbUntranslated = nullptr;
    QLabel* lbDrafts = nullptr;
    QTableWidget* sgUnits = nullptr;  // the units not taken over: key, line, reason
    QLabel* lbSummary = nullptr;      // what "Übernehmen" does, or that nothing would change
    QPushButton* btApply = nullptr;   // "Übernehmen"; disabled when nothing would change
    QPushButton* btCancel = nullptr;  // "Abbrechen"

  private:
    void FillUnits(const exchange::ImportPlan& plan);
};

}  // namespace parlix
