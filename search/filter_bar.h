// The filter above the grid: the rows shown narrow as the user types to those whose visible
// columns hold the text (without regard to case), and a choice narrows them to the rows that
// lack a translation, whose translation needs review, or that the checks have a finding for. The
// filter only hides rows; the table, and everything that saves, builds or checks it, keeps every
// record.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;

namespace parlix {

class TableModel;

class FilterBar : public QWidget {
    Q_OBJECT
  public:
    // The choices of cbRows, in the order they stand there: its index once all are offered.
    enum Choice { ShowAll = 0, ShowUntranslated = 1, ShowToReview = 2, ShowWithFindings = 3 };

    explicit FilterBar(QWidget* parent = nullptr);

    // The rows to filter, and the columns the text is looked for in (the visible ones).
    void Bind(TableModel* rows, std::function<std::vector<int>()> visibleColumns);
    // Offers the choice of rows whose translation needs review ("Zu prüfen"), which answers
    // for a table row.
    void SetToReview(std::function<bool(int row)> toReview);
    // Offers the choice of rows with a finding of the checks, which answers for a table row.
    void SetFindings(std::function<bool(int row)> hasFinding);
    Choice CurrentChoice() const;
    void SetChoice(Choice choice);

    // Applies the filter as it stands to the rows as they are now (after a project was opened,
    // or the visible columns changed).
    void Apply();
    bool Active() const;

    QLabel* lbFilter = nullptr;
    QLineEdit* edFilter = nullptr;
    QComboBox* cbRows = nullptr;

  private:
    void Offer(Choice choice, const QString& text);

    TableModel* rows_ = nullptr;
    std::function<std::vector<int>()> visibleColumns_;
    std::function<bool(int row)> toReview_;
    std::function<bool(int row)> hasFinding_;
};

}  // namespace parlix
