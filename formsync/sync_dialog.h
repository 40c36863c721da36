// The window fmFormSync, "Mit Formularen abgleichen": what the sync with the application's forms
// would do to the translation table (the counts of new, changed, unchanged, vanished and
// refused texts, and a line for each of them but the unchanged) and the choice to apply it.
// The vanished paths are ticked: "Übernehmen" takes them out of their rows, and deletes a row
// that has nothing left to assign. It is made for one plan and shown once.
#pragma once

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace parlix {

namespace formsync {
struct SyncPlan;
}
namespace forms {
class ProjectForms;
}

class TfmFormSync : public QDialog {
    Q_OBJECT
  public:
    // `language1` is the name of language 1, the column the sync writes.
    TfmFormSync(const formsync::SyncPlan& plan, const forms::ProjectForms& forms,
                const QString& language1, QWidget* parent);

    // At most this many lines are listed; a last line tells how many more there are. The
    // vanished paths are always listed, since each has its tick.
    static constexpr int kListedLines = 1000;

    // One flag per vanished path of the plan: ticked for removal.
    std::vector<bool> RemoveVanished() const;

    // --- Controls ---
    QLabel* lbForms = nullptr;  // how many forms were read, and from where
    QLabel* lbNew = nullptr;
    QLabel* lbChanged = nullptr;
    QLabel* lbUnchanged = nullptr;
    QLabel* lbVanished = nullptr;
    QLabel* lbRefused = nullptr;
    // A line per new, changed, vanished and refused text and per form that could not be read:
    // the tick (vanished paths only), what happens, the path, the text or reason, the place.
    QTableWidget* sgLines = nullptr;
    QLabel* lbSummary = nullptr;      // what "Übernehmen" does, or that nothing would change
    QPushButton* btApply = nullptr;   // "Übernehmen"; disabled when nothing would change
    QPushButton* btCancel = nullptr;  // "Abbrechen"

  private:
    void FillLines(const formsync::SyncPlan& plan, const forms::ProjectForms& forms);
    void UpdateSummary();

    const formsync::SyncPlan& plan_;
    QString language1_;
    std::vector<QTableWidgetItem*> ticks_;  // one per vanished path
};

}  // namespace parlix
