// The checks panel ("Prüfungen"): a dockable list of the findings of the translation table,
// one line each with its picture (error or warning), its row and its message. It checks the
// table again after every change of its records or their order; a burst of changes (a
// replace-all, an undo of many records, a load) is checked once, when the program next
// waits for the user. A double click hands the finding's row and column to the window that
// shows the table.
#pragma once

#include <QDockWidget>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "check/table_checks.h"
#include "table/ptf_table.h"

class QTreeView;

namespace parlix {

// "Deutsch 100 %   English 93 % (3 zu prüfen)   2 Fehler   5 Warnungen": the share of records
// with a text per language (rounded down, so that 100 % means complete), the translations that
// need review, and the counts of the findings.
QString ChecksSummary(const check::CheckResult& result);

class FindingsModel;

class ChecksPanel : public QDockWidget, private TableObserver {
    Q_OBJECT
  public:
    explicit ChecksPanel(QWidget* parent = nullptr);
    ~ChecksPanel() override;

    // The table to check (nullptr: none), what the checks need to know of the unit, and the
    // table's review marks (nullptr: none).
    void Bind(PtfTable* table, std::function<check::UnitContext()> unit,
              const review::SourceMemory* marks = nullptr);
    // Called with a finding's table row and column on a double click (not for the language
    // names, which belong to no row).
    void SetJump(std::function<void(int row, int column)> jump) { jump_ = std::move(jump); }

    // Checks the table now (a closed table has no findings) and shows the result.
    void Refresh();
    // Checks at the next return to the event loop, once for any number of calls before.
    void ScheduleRefresh();
    bool RefreshPending() const { return timer_.isActive(); }

    const check::CheckResult& Result() const { return result_; }
    // Whether the last check found anything in this table row.
    bool HasFinding(int row) const;
    // The finding's "Zeile n" (the grid's row, counted from 1) or "Projekt" for the names of
    // the languages, and its German message.
    static QString RowText(const check::Finding& finding);
    QString Message(const check::Finding& finding) const;

    // Opens the finding at this line of the list as a double click does.
    void Activate(int line);

    QTreeView* lvFindings = nullptr;

  signals:
    // After every check.
    void findingsChanged();

  private:
    void TableChanged(PtfTable& table, TableChange change, int row) override;

    PtfTable* table_ = nullptr;
    std::function<check::UnitContext()> unit_;
    const review::SourceMemory* marks_ = nullptr;
    std::function<void(int, int)> jump_;
    check::CheckResult result_;
    std::vector<bool> rowsWithFindings_;
    FindingsModel* model_ = nullptr;
    QTimer timer_;
};

}  // namespace parlix
