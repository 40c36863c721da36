#include "project/data_module.h"

#include "table/errors.h"
#include "ui/main_window_port.h"
#include "ui/text_input_rules.h"

namespace parlix {

Tdm1::Tdm1(MainWindowPort& fmMain) : fmMain_(fmMain) {
    DefineProjectFields(cdsProject);
    DefineTranslationFields(cdsTranslations);
    cdsTranslations.AfterOpen = [this](PtfTable& table) { cdsTranslationsAfterOpen(table); };
    cdsTranslations.BeforeInsert = [this](PtfTable& table) { cdsTranslationsBeforeInsert(table); };
    cdsTranslations.BeforeDelete = [this](PtfTable& table) { cdsTranslationsBeforeDelete(table); };
    cdsTranslations.AfterPost = [this](PtfTable& table) { cdsTranslationsAfterPost(table); };
    cdsTranslations.AfterDelete = [this](PtfTable& table) { cdsTranslationsAfterDelete(table); };
    dsTranslations = std::make_unique<TableModel>(cdsTranslations);
    dsTranslations->SetCellNote([this](int row, int column) { return ReviewNote(row, column); });
}

QString Tdm1::ReviewNote(int row, int column) const {
    if (column != translation_field::LanguageColumn(2) || !Marks.NeedsReview(row)) {
        return {};
    }
    const review::Mark* mark = Marks.MarkOf(cdsTranslations.IdAt(row));
    if (!mark->source) {
        return QStringLiteral("Entwurf - Übersetzung prüfen");
    }
    return QStringLiteral("Quelltext geändert: war »%1«, jetzt »%2« - Übersetzung prüfen")
        .arg(FromCp1252(*mark->source),
             FromCp1252(cdsTranslations.TextViewAt(row, translation_field::LanguageColumn(1))));
}

void Tdm1::cdsTranslationsAfterOpen(PtfTable& /*table*/) {
    fmMain_.FitColumnsToOpenedTable();
}

void Tdm1::cdsTranslationsBeforeInsert(PtfTable& /*table*/) {
    if (State.TranslateMode) {
        throw EAbort();
    }
}

void Tdm1::cdsTranslationsBeforeDelete(PtfTable& /*table*/) {
    if (State.TranslateMode) {
        throw EAbort();
    }
}

void Tdm1::cdsTranslationsAfterPost(PtfTable& /*table*/) {
    ChangeToSave();
}

void Tdm1::cdsTranslationsAfterDelete(PtfTable& /*table*/) {
    ChangeToSave();
}

void Tdm1::ChangeToSave() {
    // A table that belongs to no file (its file failed to load) has nowhere to be saved.
    if (!State.TranslationsFileName.empty()) {
        fmMain_.SetChangesToSave(true);
    }
}

}  // namespace parlix
