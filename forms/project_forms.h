// The forms of a project: which form files belong to it, read once, with the texts they hold
// and what the units of its uses list declare.
//
// The uses list names the units of the application that the generated unit assigns to. For
// each, its form is "<unit>.lfm" or "<unit>.dfm" (any case) beside the source unit or beside
// the project file, the source unit's folder first. More forms can be given as files or
// folders (a folder gives every form below it). The forms hold the texts of language 1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "forms/scanned_forms.h"

namespace parlix::forms {

// Paths are UTF-8, as everywhere in Parlix (table/platform.h).
struct ProjectFormsSource {
    std::string projectFile;
    std::string sourceUnit;           // the unit the project writes; may be empty
    std::string usesList;             // Windows-1252, as the project gives it
    std::vector<std::string> extras;  // more form files or folders
    friend bool operator==(const ProjectFormsSource&, const ProjectFormsSource&) = default;
};

// What the first word of a property path names, as far as the project's forms and units tell.
enum class FirstWord {
    Form,     // the variable of a scanned form
    Known,    // a unit of the uses list, or a variable the interface of one declares
    Unknown,  // none of these, though every unit of the uses list was found and read
    Unsure,   // none of these, but a unit of the uses list was not found: it may declare it
};

class ProjectForms {
  public:
    // Finds the project's forms and units and reads them; a form that cannot be read is
    // skipped with its fault, an extra path that does not exist is a fault too.
    explicit ProjectForms(const ProjectFormsSource& source);
    ~ProjectForms();
    ProjectForms(ProjectForms&&) noexcept;
    ProjectForms& operator=(ProjectForms&&) noexcept;

    // Whether any form was read: only then do the checks and the sync know the forms.
    bool Found() const { return !scanned_->Forms().empty(); }
    const ScannedForms& Scanned() const { return *scanned_; }
    // The form files asked for, in the order found.
    const std::vector<std::string>& Files() const { return files_; }
    // Forms that could not be read, extra paths that do not exist.
    const std::vector<Fault>& Faults() const { return faults_; }

    // Every form's texts to translate, form after form; a path given by two forms counts once
    // (the first). A frame's own form gives none: its texts are reached through the forms it is
    // put on.
    const std::vector<FormText>& Texts() const { return texts_; }
    // The text at a path's comparison key (ASCII lower case, no blanks); null when none.
    const FormText* TextAt(std::string_view key) const;

    // What the first word of a path names (any case).
    FirstWord Name(std::string_view firstWord) const;

    // Whether a file read or a folder searched has changed since (its modification time): the
    // forms should be read again.
    bool Changed() const;

  private:
    std::unique_ptr<ScannedForms> scanned_;
    std::vector<std::string> files_;
    std::vector<Fault> faults_;
    std::vector<FormText> texts_;
    std::unordered_map<std::string, std::size_t> textByKey_;
    std::unordered_set<std::string> variables_;  // lower case: the scanned forms' variables
    std::unordered_set<std::string> known_;      // lower case: unit names and declared variables
    bool allUnitsRead_ = true;
    // Files read and folders searched with their modification times (in ticks; -1: missing).
    std::vector<std::pair<std::string, std::int64_t>> stamps_;
};

// The project's form files, found as ProjectForms finds them but not read; an extra path that
// does not exist is left out.
std::vector<std::string> FindProjectFormFiles(const ProjectFormsSource& source);

// Whether the project's forms are Lazarus forms: some were found and every one is a .lfm. A
// Lazarus program's strings are UTF-8, so its unit should be too.
bool HasLazarusForms(const ProjectFormsSource& source);

// ASCII lower case, as Pascal compares identifiers.
std::string LowerAscii(std::string_view text);

}  // namespace parlix::forms
