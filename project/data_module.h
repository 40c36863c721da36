// The data module dm1: the two tables of the program, the binding through which the main
// window's grid and navigator show the translations, and the state of the open project.
// Its handlers of the translation table's events act on the main window.
#pragma once

#include <QString>
#include <memory>

#include "history/edit_history.h"
#include "project/project_files.h"
#include "review/source_memory.h"
#include "table/ptf_table.h"
#include "ui/table_model.h"

namespace parlix {

class MainWindowPort;

class Tdm1 {
  public:
    explicit Tdm1(MainWindowPort& fmMain);
    Tdm1(const Tdm1&) = delete;
    Tdm1& operator=(const Tdm1&) = delete;

    // The open project; all empty or zero until a project is created or opened.
    ProjectState State;

    PtfTable cdsProject;       // the project settings, one record
    PtfTable cdsTranslations;  // the texts to translate
    // The rows of cdsTranslations whose translation needs review.
    review::SourceMemory Marks{cdsTranslations};
    // The undo history of cdsTranslations' edits and of the marks.
    EditHistory History{cdsTranslations, &Marks};
    // Declared after the tables, so that it lets go of the translation table before it goes.
    std::unique_ptr<TableModel> dsTranslations;

    // Handlers of cdsTranslations' events.
    void cdsTranslationsAfterOpen(PtfTable& table);
    void cdsTranslationsBeforeInsert(PtfTable& table);  // refuses in translate mode
    void cdsTranslationsBeforeDelete(PtfTable& table);  // refuses in translate mode
    void cdsTranslationsAfterPost(PtfTable& table);     // a change to save
    void cdsTranslationsAfterDelete(PtfTable& table);   // a change to save

    // The note on a cell of the grid: why a translation needs review, on its language 2 cell.
    QString ReviewNote(int row, int column) const;

  private:
    // A post or delete: the table has unsaved changes.
    void ChangeToSave();

    MainWindowPort& fmMain_;
};

}  // namespace parlix
