#include "forms/project_forms.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "forms/pascal_unit.h"
#include "table/cp1252.h"
#include "table/errors.h"
#include "table/file_io.h"
#include "table/platform.h"

namespace parlix::forms {

namespace fs = std::filesystem;
using platform::NativePath;
using platform::Utf8Path;

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

namespace {

bool IsFormFile(const std::string& file) {
    const std::string extension = LowerAscii(ExtensionOf(file));
    return extension == ".lfm" || extension == ".dfm";
}

// The files of a folder by their lower-case names; a file of the working folder is named
// without a folder, as the project file is.
using Listing = std::unordered_map<std::string, std::string>;

Listing List(const std::string& folder) {
    Listing files;
    platform::ListFolder(folder.empty() ? "." : folder, [&](std::string_view name) {
        files.try_emplace(LowerAscii(name), PathIn(folder, name));
    });
    return files;
}

// The entries of a uses list, trimmed, as UTF-8; empty entries left out.
std::vector<std::string> UsesEntries(std::string_view usesList) {
    std::vector<std::string> entries;
    std::size_t from = 0;
    while (from <= usesList.size()) {
        std::size_t comma = usesList.find(',', from);
        if (comma == std::string_view::npos) {
            comma = usesList.size();
        }
        std::string_view entry = usesList.substr(from, comma - from);
        while (!entry.empty() && static_cast<unsigned char>(entry.front()) <= ' ') {
            entry.remove_prefix(1);
        }
        while (!entry.empty() && static_cast<unsigned char>(entry.back()) <= ' ') {
            entry.remove_suffix(1);
        }
        if (!entry.empty()) {
            entries.push_back(Cp1252ToUtf8(entry));
        }
        from = comma + 1;
    }
    return entries;
}

// Every form below a folder, sorted, so that the order does not depend on the file system.
std::vector<std::string> FormsBelow(const std::string& folder) {
    std::vector<std::string> forms;
    std::error_code error;
    for (fs::recursive_directory_iterator entry(NativePath(folder), error), end;
         !error && entry != end; entry.increment(error)) {
        if (entry->is_regular_file(error)) {
            std::string file = Utf8Path(entry->path());
            if (IsFormFile(file)) {
                forms.push_back(std::move(file));
            }
        }
    }
    std::sort(forms.begin(), forms.end());
    return forms;
}

std::int64_t Stamp(const std::string& path) {
    const platform::FileStatus status = platform::Status(path);
    return status.kind == platform::FileKind::None ? -1 : status.modifiedNanoseconds;
}

// The folders beside the source unit and the project file, the source unit's first, each
// listed once; what they hold is found in any case.
class Beside {
  public:
    explicit Beside(const ProjectFormsSource& source) {
        for (const std::string& beside : {source.sourceUnit, source.projectFile}) {
            if (beside.empty()) {
                continue;
            }
            const std::string folder =
                Utf8Path(NativePath(beside).parent_path().lexically_normal());
            if (std::find(paths_.begin(), paths_.end(), folder) == paths_.end()) {
                paths_.push_back(folder);
                listings_.push_back(List(folder));
            }
        }
    }

    std::optional<std::string> Find(const std::string& unit,
                                    std::initializer_list<const char*> extensions) const {
        for (const Listing& listing : listings_) {
            for (const char* extension : extensions) {
                const auto found = listing.find(LowerAscii(unit) + extension);
                if (found != listing.end()) {
                    return found->second;
                }
            }
        }
        return std::nullopt;
    }

    std::vector<std::string> Folders() const {
        std::vector<std::string> folders;
        for (const std::string& folder : paths_) {
            folders.push_back(folder.empty() ? "." : folder);
        }
        return folders;
    }

  private:
    std::vector<std::string> paths_;
    std::vector<Listing> listings_;
};

std::vector<std::string> Locate(const ProjectFormsSource& source, const Beside& beside,
                                std::vector<Fault>* faults, std::vector<std::string>* folders) {
    std::vector<std::string> files;
    for (const std::string& unit : UsesEntries(source.usesList)) {
        if (const std::optional<std::string> form = beside.Find(unit, {".lfm", ".dfm"})) {
            files.push_back(*form);
        }
    }
    for (const std::string& extra : source.extras) {
        const platform::FileKind kind = platform::Status(extra).kind;
        if (kind == platform::FileKind::Folder) {
            if (folders != nullptr) {
                folders->push_back(extra);
            }
            const std::vector<std::string> below = FormsBelow(extra);
            files.insert(files.end(), below.begin(), below.end());
        } else if (kind != platform::FileKind::None) {
            files.push_back(extra);
        } else if (faults != nullptr) {
            faults->push_back(Fault::In(extra, "Datei oder Ordner nicht gefunden"));
        }
    }
    std::unordered_set<std::string> added;
    std::erase_if(files,
                  [&](const std::string& file) { return !added.insert(NormalPath(file)).second; });
    return files;
}

}  // namespace

std::vector<std::string> FindProjectFormFiles(const ProjectFormsSource& source) {
    return Locate(source, Beside(source), nullptr, nullptr);
}

bool HasLazarusForms(const ProjectFormsSource& source) {
    const std::vector<std::string> files = FindProjectFormFiles(source);
    return !files.empty() && std::all_of(files.begin(), files.end(), [](const std::string& file) {
        return LowerAscii(ExtensionOf(file)) == ".lfm";
    });
}

ProjectForms::ProjectForms(const ProjectFormsSource& source)
    : scanned_(std::make_unique<ScannedForms>()) {
    const Beside beside(source);
    std::vector<std::string> folders = beside.Folders();
    files_ = Locate(source, beside, &faults_, &folders);
    for (std::string& folder : folders) {
        stamps_.emplace_back(std::move(folder), 0);
    }
    for (const std::string& unit : UsesEntries(source.usesList)) {
        const std::string lower = LowerAscii(unit);
        known_.insert(lower);
        known_.insert(lower.substr(0, lower.find('.')));
        const std::optional<std::string> pascal = beside.Find(unit, {".pas", ".pp"});
        std::optional<UnitDeclarations> declarations;
        if (pascal) {
            stamps_.emplace_back(*pascal, 0);
            try {
                declarations = ReadUnitDeclarations(ReadFileBuffer(*pascal).View());
            } catch (const PtfError&) {
                // An unreadable unit is as good as a missing one.
            }
        }
        if (!declarations) {
            allUnitsRead_ = false;
            continue;
        }
        for (const UnitDeclarations::Variable& variable : declarations->variables) {
            known_.insert(LowerAscii(variable.name));
        }
    }
    for (const std::string& file : files_) {
        scanned_->Add(file);
    }
    faults_.insert(faults_.end(), scanned_->Faults().begin(), scanned_->Faults().end());
    for (std::string& file : scanned_->FilesRead()) {
        stamps_.emplace_back(std::move(file), 0);
    }
    for (auto& [path, stamp] : stamps_) {
        stamp = Stamp(path);
    }
    for (const ScannedForm& form : scanned_->Forms()) {
        if (form.frame) {
            continue;  // its texts are those of the forms it is put on
        }
        variables_.insert(LowerAscii(form.variable));
        for (FormText& text : scanned_->Texts(form)) {
            const auto [it, added] = textByKey_.try_emplace(LowerAscii(text.path), texts_.size());
            if (added) {
                texts_.push_back(std::move(text));
            }
        }
    }
}

ProjectForms::~ProjectForms() = default;
ProjectForms::ProjectForms(ProjectForms&&) noexcept = default;
ProjectForms& ProjectForms::operator=(ProjectForms&&) noexcept = default;

const FormText* ProjectForms::TextAt(std::string_view key) const {
    const auto found = textByKey_.find(std::string(key));
    return found == textByKey_.end() ? nullptr : &texts_[found->second];
}

bool ProjectForms::Changed() const {
    return std::any_of(stamps_.begin(), stamps_.end(),
                       [](const auto& stamp) { return Stamp(stamp.first) != stamp.second; });
}

FirstWord ProjectForms::Name(std::string_view firstWord) const {
    const std::string lower = LowerAscii(firstWord);
    if (variables_.count(lower) != 0) {
        return FirstWord::Form;
    }
    if (known_.count(lower) != 0) {
        return FirstWord::Known;
    }
    return allUnitsRead_ ? FirstWord::Unknown : FirstWord::Unsure;
}

}  // namespace parlix::forms
