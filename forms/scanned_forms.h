// The application's forms as the translation table reaches them: every component of a form
// under its property path, the texts to translate with their paths and places, and what a path
// of the table names.
//
// A path is "<form variable>.<component>.<property>": every component of a form is a field of
// the form's class whatever its nesting, so the path is flat, with one more part per inline
// frame ("frmMain.Frame1.btOK.Caption"). The form variable is the one the unit beside the form
// declares for the form's class in its interface ("var frmAddress: TfrmAddress;"); without
// it, the root component's name. An inherited form has every component of its ancestor's form
// and an inline frame every component of the frame's form, when that form file is found beside
// it (the same folder, the root of that class); the unit beside tells the ancestor's class.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "forms/form.h"

namespace parlix::forms {

// A string of a component, with the form file that holds it: an inherited form's own file, or
// its ancestor's or a frame's for what that form sets.
struct ScannedString {
    FormString string;
    std::string file;
};

struct ScannedComponent {
    std::string path;  // "frmMain", "frmMain.btOK", "frmMain.Frame1.btOK"
    std::string name;
    std::string className;
    Declaration declaration = Declaration::Object;
    // For the root and each inline frame: whether every component its class declares is
    // known, i.e. the forms of its ancestors (and, for a frame, its own form) were found.
    bool membersKnown = true;
    bool frame = false;  // an inline frame: its components' paths go through it
    std::vector<ScannedString> strings;
};

struct ScannedForm {
    std::string file;
    FormSyntax syntax = FormSyntax::Lazarus;
    std::string variable;
    bool variableDeclared = false;  // found in the unit beside the form
    // The unit beside declares the root's class as a TFrame: no variable reaches it, only the
    // forms it is put on inline.
    bool frame = false;
    std::vector<ScannedComponent> components;  // the root first, then in the files' order
};

// A text to translate (see translatable.h) where the table reaches it.
struct FormText {
    std::string path;       // "frmMain.Frame1.btOK.Caption"
    std::string text;       // UTF-8
    std::string className;  // of the component that shows it ("TButton")
    std::string property;   // below the component, in the usual spelling ("Items.Strings[0]")
    std::string file;       // the form file that holds it
    FormPlace place;        // line of a text form, offset of a binary one
};

enum class PathKind {
    NoForm,       // the first part names no scanned form's variable
    Component,    // a component of the form and a property below it (not checked: a property
                  // at its default value is not stored)
    NoComponent,  // the form has no such component: the unit would not compile
    Undecided,    // below a root or frame whose ancestor's or own form was not found
};

struct PathTarget {
    PathKind kind = PathKind::NoForm;
    const ScannedForm* form = nullptr;
    // Component: the component reached. NoComponent, Undecided: the root or frame under which
    // `missing` was looked for.
    const ScannedComponent* component = nullptr;
    std::string missing;   // NoComponent, Undecided: the name that is no known component
    std::string property;  // Component: the rest of the path ("Caption", "Items.Strings[0]")
};

class ScannedForms {
  public:
    ScannedForms();
    ~ScannedForms();
    ScannedForms(const ScannedForms&) = delete;
    ScannedForms& operator=(const ScannedForms&) = delete;

    // Reads a form file with the unit beside it and the ancestors' and frames' forms it needs.
    // A form that cannot be read is skipped with its fault; false then. References into
    // Forms() stay valid until the next Add.
    bool Add(const std::string& formFile);

    const std::vector<ScannedForm>& Forms() const { return forms_; }
    // The forms asked for that could not be read and were skipped.
    const std::vector<Fault>& Faults() const { return faults_; }
    // What the readers noticed in the forms read and in the ancestors' and frames' forms used.
    const std::vector<Fault>& Warnings() const { return warnings_; }

    // Every form file read so far: those asked for, their ancestors' and frames', and those
    // only looked at for their root's class.
    std::vector<std::string> FilesRead() const;

    // The form's texts to translate, in the order of its components and their strings.
    std::vector<FormText> Texts(const ScannedForm& form) const;

    // What a property path of the table names (any case; see PathKind).
    PathTarget Find(std::string_view path) const;

  private:
    struct Files;
    std::unique_ptr<Files> files_;
    std::vector<ScannedForm> forms_;
    std::vector<Fault> faults_;
    std::vector<Fault> warnings_;
    // Lower-case variable -> forms; lower-case path -> component, per form.
    std::unordered_map<std::string, std::vector<std::size_t>> byVariable_;
    std::vector<std::unordered_map<std::string, std::size_t>> byPath_;
};

}  // namespace parlix::forms
