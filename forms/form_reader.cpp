#include "forms/form_reader.h"

#include "table/errors.h"
#include "table/file_io.h"

namespace parlix::forms {

FormSyntax SyntaxOf(std::string_view file, std::string_view bytes) {
    if (bytes.substr(0, 4) == "TPF0" || bytes.substr(0, 3) == std::string_view("\xFF\x0A\x00", 3)) {
        return FormSyntax::Binary;
    }
    const std::string_view extension = file.size() >= 4 ? file.substr(file.size() - 4) : "";
    if (extension.size() == 4 && extension[0] == '.' && (extension[1] | 0x20) == 'd' &&
        (extension[2] | 0x20) == 'f' && (extension[3] | 0x20) == 'm') {
        return FormSyntax::Delphi;
    }
    return FormSyntax::Lazarus;
}

Form ReadForm(std::string_view bytes, const std::string& file) {
    switch (SyntaxOf(file, bytes)) {
        case FormSyntax::Binary:
            return ReadBinaryForm(bytes, file);
        case FormSyntax::Delphi:
            return ReadDelphiForm(bytes, file);
        case FormSyntax::Lazarus:
            break;
    }
    return ReadLazarusForm(bytes, file);
}

Form ReadFormFile(const std::string& path) {
    try {
        const FileBuffer bytes = ReadFileBuffer(path);
        return ReadForm(bytes.View(), path);
    } catch (const EFOpenError& error) {
        // A form that cannot be read is a fault of that form, worded as those in its content.
        throw FaultError(
            Fault::In(path, "die Datei kann nicht gelesen werden: " + error.GetFault().message));
    }
}

}  // namespace parlix::forms
