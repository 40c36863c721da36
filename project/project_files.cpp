#include "project/project_files.h"

#include "table/cp1252.h"
#include "table/file_io.h"
#include "table/platform.h"
#include "table/ptf_format.h"

namespace parlix {

namespace {

struct Identity {
    const char* field;
    const char* value;
};

constexpr Identity kIdentity[] = {
    {"DataStandard", "Parlix Editor"}, {"DataVersion", "1.0.0"}, {"PTFVersion", "1.0.0"},
    {"ProgName", "Parlix LE"},         {"ProgVersion", "1.0.0"}, {"ProgType", "Standard"},
};

}  // namespace

void DefineProjectFields(PtfTable& project) {
    FieldDefs& defs = project.FieldDefs();
    defs.Clear();
    defs.Add(project_field::kSourceFile, FieldType::ftString, 128);
    defs.Add(project_field::kLanguage1, FieldType::ftString, 32);
    defs.Add(project_field::kLanguage2, FieldType::ftString, 32);
    defs.Add(project_field::kBackups, FieldType::ftInteger);
    defs.Add(project_field::kUses, FieldType::ftString, 255);
    for (const Identity& identity : kIdentity) {
        defs.Add(identity.field, FieldType::ftString, 20);
    }
    defs.Add(project_field::kLastSave, FieldType::ftString, 20);
}

void DefineTranslationFields(PtfTable& translations) {
    FieldDefs& defs = translations.FieldDefs();
    defs.Clear();
    defs.Add(translation_field::kType, FieldType::ftString, 32);
    defs.Add(translation_field::kProperty, FieldType::ftString, 1024);
    defs.Add(translation_field::kStringName, FieldType::ftString, 32);
    defs.Add("Language1", FieldType::ftString, 1024);
    defs.Add("Language2", FieldType::ftString, 1024);
}

std::string TranslationsFileNameFor(std::string_view projectFileName) {
    return std::string(RemoveFileExtension(projectFileName)) + "_translations.ptf";
}

void SetIdentityFields(PtfTable& project) {
    for (const Identity& identity : kIdentity) {
        project.FieldByName(identity.field).SetAsString(identity.value);
    }
}

std::string FormatLastSave(std::time_t when) {
    const std::tm local = platform::LocalTime(when);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void RenameLanguageFields(PtfTable& translations, const std::string& language1,
                          const std::string& language2) {
    translations.FieldDefs()[translation_field::LanguageColumn(1)].SetName(language1);
    translations.FieldDefs()[translation_field::LanguageColumn(2)].SetName(language2);
}

ProjectRecord ReadProjectRecord(PtfTable& project) {
    project.First();
    ProjectRecord record;
    record.SourceFile = project.FieldByName(project_field::kSourceFile).AsString();
    record.Language1 = project.FieldByName(project_field::kLanguage1).AsString();
    record.Language2 = project.FieldByName(project_field::kLanguage2).AsString();
    record.Backups = project.FieldByName(project_field::kBackups).AsInteger();
    record.Uses = project.FieldByName(project_field::kUses).AsString();
    return record;
}

ProjectRecord ReadProjectFile(const std::string& path, PtfTable& project) {
    DefineProjectFields(project);
    LoadPtfFile(path, project, kMaxProjectFileBytes);
    project.Open();
    if (project.RecordCount() == 0) {
        // Without its record the file names no languages and no unit: it is no project.
        throw FaultError(Fault::In(path, "enthält keinen Projektdatensatz"));
    }
    return ReadProjectRecord(project);
}

void TakeProjectRecord(const ProjectRecord& record, ProjectState& state, PtfTable& translations) {
    state.SourceFileName = record.SourceFile;
    state.BackupCount = record.Backups;
    state.UsesList = record.Uses;
    RenameLanguageFields(translations, record.Language1, record.Language2);
    state.LanguageNames[1] = record.Language1;
    state.LanguageNames[2] = record.Language2;
}

void CopyTable(PtfTable& from, PtfTable& to) {
    from.Open();
    to.Close();
    FieldDefs& defs = to.FieldDefs();
    defs.Clear();
    for (int i = 0; i < from.FieldCount(); ++i) {
        const Field field = from.Field(i);
        defs.Add(field.FieldName(), field.DataType(), field.Size());
    }
    to.CreateTable();
    for (from.First(); !from.AtEnd(); from.Next()) {
        to.Append();
        for (int i = 0; i < from.FieldCount(); ++i) {
            const Field source = from.Field(i);
            Field target = to.Field(i);
            if (source.IsNull()) {
                continue;  // a new record's values start null
            }
            switch (source.DataType()) {
                case FieldType::ftString:
                    target.SetAsString(source.StringView());
                    break;
                case FieldType::ftBoolean:
                    target.SetAsBoolean(source.AsBoolean());
                    break;
                case FieldType::ftFloat:
                    target.SetAsFloat(source.AsFloat());
                    break;
                case FieldType::ftSmallint:
                case FieldType::ftInteger:
                case FieldType::ftWord:
                case FieldType::ftAutoInc:
                    target.SetAsInteger(source.AsInteger());
                    break;
                default:
                    break;  // a type without values stays null
            }
        }
        to.Post();
    }
    to.Close();
}

std::string UnitNameFor(std::string_view sourceFileName) {
    const std::string_view fileName = ExtractFileName(sourceFileName);
    return std::string(fileName.substr(0, fileName.rfind('.')));
}

std::string SourceFilePath(const ProjectState& state) {
    std::string source = Cp1252ToUtf8(state.SourceFileName);
    // A project written on Windows names its unit with backslashes.
    for (char& c : source) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (source.empty() || IsAbsolutePath(source)) {
        return source;
    }
    return std::string(ExtractFilePath(state.ProjectFileName)) + source;
}

}  // namespace parlix
