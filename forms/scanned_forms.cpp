#include "forms/scanned_forms.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <set>

#include "forms/form_reader.h"
#include "forms/pascal_unit.h"
#include "forms/translatable.h"
#include "table/file_io.h"
#include "table/platform.h"

namespace parlix::forms {

namespace {

// Ancestors and frames within frames are followed this deep; real forms need three or four.
constexpr int kMaxNesting = 16;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool HasExtension(const std::string& file, std::initializer_list<std::string_view> extensions) {
    const std::string extension = Lower(ExtensionOf(file));
    for (const std::string_view wanted : extensions) {
        if (extension == wanted) {
            return true;
        }
    }
    return false;
}

// A string's property as set as a whole: a list or collection with all its items
// ("Items.Strings", "Columns"), else the path itself. A form that sets it replaces what its
// ancestor set.
std::string_view SetAsWhole(std::string_view property) {
    return property.substr(0, property.find('['));
}

// The sub-objects of a form or frame that a path may go through ("frmMain.Font.Name") even when
// its form file stores none of their properties (at their defaults, they are not stored).
bool IsFormSubObject(std::string_view lowerName) {
    for (const std::string_view name :
         {"font", "constraints", "borderspacing", "childsizing", "horzscrollbar", "vertscrollbar",
          "icon", "padding", "margins"}) {
        if (lowerName == name) {
            return true;
        }
    }
    return false;
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t dot = path.find('.', from);
        parts.push_back(path.substr(from, dot - from));
        if (dot == std::string_view::npos) {
            return parts;
        }
        from = dot + 1;
    }
}

}  // namespace

// A folder's files that matter here, listed once.
struct Folder {
    std::unordered_map<std::string, std::string> units;  // lower-case name without .pas or .pp
    std::vector<std::string> forms;                      // .lfm and .dfm files
    // Lower-case root class -> form file; made when first needed.
    std::optional<std::unordered_map<std::string, std::string>> classes;
};

// The files read so far, each once: forms, units and folders.
struct ScannedForms::Files {
    struct Loaded {
        std::shared_ptr<const Form> form;  // null: unreadable
        std::optional<Fault> fault;
        bool told = false;  // its fault or warnings are in the lists
    };
    std::unordered_map<std::string, Loaded> forms;
    std::unordered_map<std::string, std::optional<UnitDeclarations>> units;
    std::unordered_map<std::string, Folder> folders;
    std::set<std::string> added;
};

namespace {

class Resolver {
  public:
    using Loader = std::function<const Form*(const std::string&)>;
    using ClassFinder = std::function<const Form*(const Form& beside, const std::string& type)>;
    using AncestorFinder = std::function<const Form*(const Form& form)>;

    Resolver(ScannedForm& form, ClassFinder classes, AncestorFinder ancestors)
        : form_(form), classes_(std::move(classes)), ancestors_(std::move(ancestors)) {}

    // The form's components under `scope`; whether all the members of its class are known.
    bool AddForm(const Form& form, const std::string& scope, int depth) {
        chain_.push_back(&form);
        bool known = true;
        const Form* ancestor = nullptr;
        if (form.root.declaration == Declaration::Inherited) {
            ancestor = depth < kMaxNesting ? ancestors_(form) : nullptr;
            if (ancestor != nullptr && InChain(*ancestor)) {
                ancestor = nullptr;
            }
            known = ancestor != nullptr && AddForm(*ancestor, scope, depth + 1);
        }
        const std::size_t root = Ensure(scope);
        form_.components[root].name = form.root.name;
        form_.components[root].className = form.root.className;
        form_.components[root].declaration = form.root.declaration;
        form_.components[root].membersKnown = known;
        Overlay(root, form.root, form.file);
        Children(form.root, scope, scope, form, depth);
        chain_.pop_back();
        return known;
    }

  private:
    bool InChain(const Form& form) const {
        for (const Form* link : chain_) {
            if (link == &form) {
                return true;
            }
        }
        return false;
    }

    std::size_t Ensure(const std::string& path) {
        const auto [it, added] = index_.try_emplace(Lower(path), form_.components.size());
        if (added) {
            form_.components.emplace_back().path = path;
        }
        return it->second;
    }

    // Components declared with `object` are fields of `owner`, the root of the file that
    // declares them (a component put on a frame's instance too); `inherited` ones are found
    // among the fields of `frame`, the innermost frame or root they were inherited from.
    void Children(const FormComponent& parent, const std::string& owner, const std::string& frame,
                  const Form& form, int depth) {
        for (const FormComponent& child : parent.children) {
            if (child.name.empty()) {
                Children(child, owner, frame, form, depth);
                continue;
            }
            std::string inner = frame;
            std::size_t entry = 0;
            switch (child.declaration) {
                case Declaration::Object:
                    entry = Ensure(owner + "." + child.name);
                    break;
                case Declaration::Inherited:
                    entry = Ensure(frame + "." + child.name);
                    if (form_.components[entry].frame) {
                        inner = form_.components[entry].path;
                    }
                    break;
                case Declaration::Inline: {
                    const std::string path = owner + "." + child.name;
                    const Form* frameForm =
                        depth < kMaxNesting ? classes_(form, child.className) : nullptr;
                    const bool known = frameForm != nullptr && !InChain(*frameForm) &&
                                       AddForm(*frameForm, path, depth + 1);
                    entry = Ensure(path);
                    form_.components[entry].frame = true;
                    form_.components[entry].membersKnown = known;
                    inner = path;
                    break;
                }
            }
            ScannedComponent& component = form_.components[entry];
            component.name = child.name;
            component.className = child.className;
            component.declaration = child.declaration;
            Overlay(entry, child, form.file);
            Children(child, owner, inner, form, depth);
        }
    }

    void Overlay(std::size_t entry, const FormComponent& from, const std::string& file) {
        std::vector<ScannedString>& strings = form_.components[entry].strings;
        if (from.strings.empty()) {
            return;
        }
        std::set<std::string> replaced;
        for (const FormString& string : from.strings) {
            replaced.insert(Lower(SetAsWhole(string.property)));
        }
        std::erase_if(strings, [&](const ScannedString& old) {
            return replaced.count(Lower(SetAsWhole(old.string.property))) != 0;
        });
        for (const FormString& string : from.strings) {
            strings.push_back({string, file});
        }
    }

    ScannedForm& form_;
    ClassFinder classes_;
    AncestorFinder ancestors_;
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<const Form*> chain_;
};

}  // namespace

ScannedForms::ScannedForms() : files_(std::make_unique<Files>()) {}
ScannedForms::~ScannedForms() = default;

bool ScannedForms::Add(const std::string& formFile) {
    Files& files = *files_;
    if (!files.added.insert(NormalPath(formFile)).second) {
        return true;
    }
    // Reads a form file once. `tell` puts its fault or warnings in the lists (once): for the
    // forms asked for and the ancestors and frames used, not for those only looked at for the
    // class of their root.
    const auto load = [&](const std::string& path, bool tell) -> const Form* {
        auto [it, added] = files.forms.try_emplace(path);
        Files::Loaded& loaded = it->second;
        if (added) {
            try {
                loaded.form = std::make_shared<const Form>(ReadFormFile(path));
            } catch (const FaultError& error) {
                loaded.fault = error.GetFault();
            }
        }
        if (tell && !loaded.told) {
            loaded.told = true;
            if (loaded.fault) {
                faults_.push_back(*loaded.fault);
            } else {
                warnings_.insert(warnings_.end(), loaded.form->warnings.begin(),
                                 loaded.form->warnings.end());
            }
        }
        return loaded.form.get();
    };
    const auto folder = [&](const std::string& path) -> Folder& {
        const std::string name = platform::Utf8Path(platform::NativePath(path).parent_path());
        auto [it, added] = files.folders.try_emplace(name);
        Folder& listed = it->second;
        if (added) {
            platform::ListFolder(name.empty() ? "." : name, [&](std::string_view entry) {
                // A file of the working folder is named without one, as the form beside it.
                std::string file = PathIn(name, entry);
                if (HasExtension(file, {".pas", ".pp"})) {
                    listed.units.try_emplace(Lower(StemOf(file)), std::move(file));
                } else if (HasExtension(file, {".lfm", ".dfm"})) {
                    listed.forms.push_back(std::move(file));
                }
            });
            std::sort(listed.forms.begin(), listed.forms.end());
        }
        return listed;
    };
    // The unit beside a form: the same name with .pas or .pp, in any case.
    const auto unitOf = [&](const Form& form) -> const UnitDeclarations* {
        auto [it, added] = files.units.try_emplace(form.file);
        if (added) {
            const Folder& beside = folder(form.file);
            const auto unit = beside.units.find(Lower(StemOf(form.file)));
            if (unit != beside.units.end()) {
                try {
                    it->second = ReadUnitDeclarations(ReadFileBuffer(unit->second).View());
                } catch (const PtfError&) {
                    // An unreadable unit tells nothing: the root's name is the variable.
                }
            }
        }
        return it->second ? &*it->second : nullptr;
    };
    // The form beside `beside` whose root is of the class; only forms that read count.
    const auto classForm = [&](const Form& beside, const std::string& type) -> const Form* {
        Folder& neighbours = folder(beside.file);
        if (!neighbours.classes) {
            neighbours.classes.emplace();
            for (const std::string& file : neighbours.forms) {
                if (const Form* form = load(file, false)) {
                    neighbours.classes->try_emplace(Lower(form->root.className), file);
                }
            }
        }
        const auto found = neighbours.classes->find(Lower(type));
        return found == neighbours.classes->end() ? nullptr : load(found->second, true);
    };
    const auto ancestorForm = [&](const Form& form) -> const Form* {
        if (const UnitDeclarations* unit = unitOf(form)) {
            for (const UnitDeclarations::Class& declared : unit->classes) {
                if (Lower(declared.name) == Lower(form.root.className)) {
                    return classForm(form, declared.ancestor);
                }
            }
        }
        return nullptr;
    };

    const Form* form = load(formFile, true);
    if (form == nullptr) {
        return false;
    }
    ScannedForm scanned;
    scanned.file = form->file;
    scanned.syntax = form->syntax;
    scanned.variable = form->root.name;
    if (const UnitDeclarations* unit = unitOf(*form)) {
        for (const UnitDeclarations::Variable& variable : unit->variables) {
            if (Lower(variable.type) == Lower(form->root.className)) {
                scanned.variable = variable.name;
                scanned.variableDeclared = true;
                break;
            }
        }
        for (const UnitDeclarations::Class& declared : unit->classes) {
            scanned.frame = scanned.frame || (Lower(declared.name) == Lower(form->root.className) &&
                                              Lower(declared.ancestor) == "tframe");
        }
    }
    Resolver(scanned, classForm, ancestorForm).AddForm(*form, scanned.variable, 0);

    auto& paths = byPath_.emplace_back();
    for (std::size_t i = 0; i < scanned.components.size(); ++i) {
        paths.emplace(Lower(scanned.components[i].path), i);
    }
    byVariable_[Lower(scanned.variable)].push_back(forms_.size());
    forms_.push_back(std::move(scanned));
    return true;
}

std::vector<std::string> ScannedForms::FilesRead() const {
    std::vector<std::string> files;
    for (const auto& [file, loaded] : files_->forms) {
        files.push_back(file);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<FormText> ScannedForms::Texts(const ScannedForm& form) const {
    std::vector<FormText> texts;
    for (const ScannedComponent& component : form.components) {
        for (const ScannedString& string : component.strings) {
            if (std::optional<std::string> property = TranslatableProperty(
                    string.string.property, string.string.text, component.name)) {
                texts.push_back({component.path + "." + *property, string.string.text,
                                 component.className, std::move(*property), string.file,
                                 string.string.place});
            }
        }
    }
    return texts;
}

PathTarget ScannedForms::Find(std::string_view path) const {
    const std::vector<std::string_view> parts = SplitPath(path);
    const auto candidates = byVariable_.find(Lower(parts[0]));
    if (candidates == byVariable_.end()) {
        return {};
    }
    std::optional<PathTarget> undecided;
    std::optional<PathTarget> missing;
    for (const std::size_t index : candidates->second) {
        const ScannedForm& form = forms_[index];
        const auto& paths = byPath_[index];
        std::size_t reached = 0;
        std::string key = Lower(parts[0]);
        std::size_t next = 1;
        for (; next < parts.size() && parts[next].find('[') == std::string_view::npos; ++next) {
            const std::string longer = key + "." + Lower(parts[next]);
            const auto found = paths.find(longer);
            if (found == paths.end()) {
                break;
            }
            reached = found->second;
            key = longer;
        }
        const ScannedComponent& component = form.components[reached];
        PathTarget target{PathKind::Component, &form, &component, {}, {}};
        // After the root or a frame, a part followed by more can only be one of its components
        // or a sub-object: a known one, or one whose property the form file stores.
        if ((reached == 0 || component.frame) && parts.size() - next >= 2 &&
            parts[next].find('[') == std::string_view::npos) {
            const std::string part = Lower(parts[next]);
            bool stored = IsFormSubObject(part);
            for (const ScannedString& string : component.strings) {
                stored = stored || Lower(SplitPath(string.string.property)[0]) == part;
            }
            if (!stored) {
                target.kind = component.membersKnown ? PathKind::NoComponent : PathKind::Undecided;
                target.missing = parts[next];
            }
        }
        if (target.kind == PathKind::Component) {
            const std::size_t offset =
                next < parts.size() ? static_cast<std::size_t>(parts[next].data() - path.data())
                                    : path.size();
            target.property = path.substr(offset);
            return target;
        }
        (target.kind == PathKind::Undecided ? undecided : missing).emplace(std::move(target));
    }
    return undecided ? *undecided : *missing;
}

}  // namespace parlix::forms
