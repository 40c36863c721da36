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
    cbRows->addItem(QStringLiteral("Alle"));
    cbRows->addItem(QStringLiteral("Unübersetzt"));

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

void FilterBar::SetFindings(std::function<bool(int row)> hasFinding) {
    hasFinding_ = std::move(hasFinding);
    if (hasFinding_ && cbRows->count() == ShowWithFindings) {
        cbRows->addItem(QStringLiteral("Mit Prüfungsbefund"));
    }
}

bool FilterBar::Active() const {
    return !edFilter->text().isEmpty() || cbRows->currentIndex() != ShowAll;
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
    const int choice = cbRows->currentIndex();
    std::function<bool(int)> hasFinding = hasFinding_;
    rows_->SetRowFilter([=](const PtfTable& table, int row) {
        if (!storable) {
            return false;
        }
        if (choice == ShowUntranslated && !RowUntranslated(table, row)) {
            return false;
        }
        if (choice == ShowWithFindings && hasFinding && !hasFinding(row)) {
            return false;
        }
        return RowContains(table, row, columns, *pattern);
    });
}

}  // namespace parlix
