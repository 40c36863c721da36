#include "search/filter_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "search/table_search.h"
#include "ui/table_model.h"
#include "ui/text_input_rules.h"

namespace parlix {

FilterBar::FilterBar(QWidget* parent) : QWidget(parent) {
    lbFilter = new QLabel(QStringLiteral("Filter"), this);
    lbFilter->setObjectName(QStringLiteral("lbFilter"));
    edFilter = new QLineEdit(this);
    edFilter->setObjectName(QStringLiteral("edFilter"));
    edFilter->setClearButtonEnabled(true);
    edFilter->setPlaceholderText(QStringLiteral("Text in den sichtbaren Spalten"));
    lbFilter->setBuddy(edFilter);
    cbRows = new QComboBox(this);
    cbRows->setObjectName(QStringLiteral("cbRows"));
    Offer(ShowAll, QStringLiteral("Alle"));
    Offer(ShowUntranslated, QStringLiteral("Unübersetzt"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(lbFilter);
    layout->addWidget(edFilter, 1);
    layout->addWidget(cbRows);

    connect(edFilter, &QLineEdit::textChanged, this, [this] { Apply(); });
    connect(cbRows, &QComboBox::currentIndexChanged, this, [this] { Apply(); });
}

void FilterBar::Bind(TableModel* rows, std::function<std::vector<int>()> visibleColumns) {
    if (rows_ != nullptr && rows_ != rows) {
        rows_->SetRowFilter({});
    }
    rows_ = rows;
    visibleColumns_ = std::move(visibleColumns);
    Apply();
}

void FilterBar::Offer(Choice choice, const QString& text) {
    int at = 0;
    while (at < cbRows->count() && cbRows->itemData(at).toInt() < choice) {
        ++at;
    }
    if (at == cbRows->count() || cbRows->itemData(at).toInt() != choice) {
        cbRows->insertItem(at, text, static_cast<int>(choice));
    }
}

void FilterBar::SetToReview(std::function<bool(int row)> toReview) {
    toReview_ = std::move(toReview);
    if (toReview_) {
        Offer(ShowToReview, QStringLiteral("Zu prüfen"));
    }
}

void FilterBar::SetFindings(std::function<bool(int row)> hasFinding) {
    hasFinding_ = std::move(hasFinding);
    if (hasFinding_) {
        Offer(ShowWithFindings, QStringLiteral("Mit Prüfungsbefund"));
    }
}

FilterBar::Choice FilterBar::CurrentChoice() const {
    return static_cast<Choice>(cbRows->currentData().toInt());
}

void FilterBar::SetChoice(Choice choice) {
    const int at = cbRows->findData(static_cast<int>(choice));
    cbRows->setCurrentIndex(at >= 0 ? at : 0);
}

bool FilterBar::Active() const {
    return !edFilter->text().isEmpty() || CurrentChoice() != ShowAll;
}

void FilterBar::Apply() {
    if (rows_ == nullptr) {
        return;
    }
    if (!Active()) {
        rows_->SetRowFilter({});
        return;
    }
    // A character that Windows-1252 cannot hold is in no stored text: nothing matches.
    const QString text = edFilter->text();
    const bool storable = !FirstUnstorableCharacter(text);
    auto pattern =
        std::make_shared<TextPattern>(storable ? ToCp1252(text) : std::string(), SearchOptions{});
    const std::vector<int> columns = visibleColumns_ ? visibleColumns_() : std::vector<int>();
    const Choice choice = CurrentChoice();
    std::function<bool(int)> toReview = toReview_;
    std::function<bool(int)> hasFinding = hasFinding_;
    rows_->SetRowFilter([=](const PtfTable& table, int row) {
        if (!storable) {
            return false;
        }
        if (choice == ShowUntranslated && !RowUntranslated(table, row)) {
            return false;
        }
        if (choice == ShowToReview && toReview && !toReview(row)) {
            return false;
        }
        if (choice == ShowWithFindings && hasFinding && !hasFinding(row)) {
            return false;
        }
        return RowContains(table, row, columns, *pattern);
    });
}

}  // namespace parlix
