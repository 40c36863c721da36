#include "forms/project_forms.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "forms/pascal_unit.h"
#include "table/cp1252.h"
#include "table/errors.h"
#include "table/file_io.h"

namespace parlix::forms {

namespace fs = std::filesystem;

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

bool IsFormFile(const fs::path& file) {
    const std::string extension = LowerAscii(file.extension().string());
    return extension == ".lfm" || extension == ".dfm";
}

// The files of a folder by their lower-case names.
using Listing = std::unordered_map<std::string, std::string>;

Listing List(const fs::path& folder) {
    Listing files;
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? "." : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        files.try_emplace(LowerAscii(entry->path().filename().string()), entry->path().string());
    }
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
std::vector<std::string> FormsBelow(const fs::path& folder) {
    std::vector<std::string> forms;
    std::error_code error;
    for (fs::recursive_directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->is_regular_file(error) && IsFormFile(entry->path())) {
            forms.push_back(entry->path().string());
        }
    }
    std::sort(forms.begin(), forms.end());
    return forms;
}

std::int64_t Stamp(const std::string& path) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    return error ? -1 : static_cast<std::int64_t>(time.time_since_epoch().count());
}

}  // namespace

ProjectForms::ProjectForms(const ProjectFormsSource& source)
    : scanned_(std::make_unique<ScannedForms>()) {
    // The folders where the uses list's units and forms are looked for, the source unit's
    // first; one folder once.
    std::vector<Listing> folders;
    std::vector<fs::path> seen;
    for (const std::string& beside : {source.sourceUnit, source.projectFile}) {
        if (beside.empty()) {
            continue;
        }
        const fs::path folder = fs::path(beside).parent_path().lexically_normal();
        if (std::find(seen.begin(), seen.end(), folder) == seen.end()) {
            seen.push_back(folder);
            folders.push_back(List(folder));
            stamps_.emplace_back(folder.empty() ? "." : folder.string(), 0);
        }
    }
    const auto find =
        [&](const std::string& unit,
            std::initializer_list<const char*> extensions) -> std::optional<std::string> {
        for (const Listing& folder : folders) {
            for (const char* extension : extensions) {
                const auto found = folder.find(LowerAscii(unit) + extension);
                if (found != folder.end()) {
                    return found->second;
                }
            }
        }
        return std::nullopt;
    };

    for (const std::string& unit : UsesEntries(source.usesList)) {
        const std::string lower = LowerAscii(unit);
        known_.insert(lower);
        known_.insert(lower.substr(0, lower.find('.')));
        if (const std::optional<std::string> form = find(unit, {".lfm", ".dfm"})) {
            files_.push_back(*form);
        }
        const std::optional<std::string> pascal = find(unit, {".pas", ".pp"});
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
    for (const std::string& extra : source.extras) {
        std::error_code error;
        if (fs::is_directory(extra, error)) {
            stamps_.emplace_back(extra, 0);
            const std::vector<std::string> below = FormsBelow(extra);
            files_.insert(files_.end(), below.begin(), below.end());
        } else if (fs::exists(extra, error)) {
            files_.push_back(extra);
        } else {
            faults_.push_back({extra, {}, false, "Datei oder Ordner nicht gefunden"});
        }
    }

    std::unordered_set<std::string> added;
    std::erase_if(files_, [&](const std::string& file) {
        return !added.insert(fs::path(file).lexically_normal().string()).second;
    });
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
