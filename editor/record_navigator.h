// A record navigator: a row of ten picture buttons bound to a table through a TableModel
// (first, prior, next, last, insert, delete, edit, post, cancel, refresh). A button is enabled
// when its command makes sense for the table as it is now, and the visible buttons share the
// navigator's width.
#pragma once

#include <QWidget>
#include <array>

class QToolButton;

namespace parlix {

class Dialogs;
class TableModel;

class RecordNavigator : public QWidget {
    Q_OBJECT
  public:
    enum Button {
        nbFirst,
        nbPrior,
        nbNext,
        nbLast,
        nbInsert,
        nbDelete,
        nbEdit,
        nbPost,
        nbCancel,
        nbRefresh
    };
    static constexpr int kButtonCount = 10;

    explicit RecordNavigator(Dialogs& dialogs, QWidget* parent = nullptr);

    void SetDataSource(TableModel* source);

    void SetButtonVisible(Button button, bool visible);
    bool ButtonVisible(Button button) const { return visible_[button]; }
    int VisibleButtonCount() const;
    QToolButton* ButtonAt(Button button) const { return buttons_[button]; }

    // What a click on the button does; delete asks "Datensatz löschen?" first.
    void Click(Button button);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void UpdateButtons();
    void LayoutButtons();

    Dialogs& dialogs_;
    TableModel* source_ = nullptr;
    std::array<QToolButton*, kButtonCount> buttons_{};
    std::array<bool, kButtonCount> visible_{};
};

}  // namespace parlix
