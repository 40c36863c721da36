#include "project/data_module.h"

#include "table/errors.h"
#include "ui/main_window_port.h"

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
