#include "forms/form_reader.h"

#include <cerrno>
#include <cstdio>
#include <memory>

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
    const auto fail = [&](int error) {
        throw FaultError(
            Fault::In(path, "die Datei kann nicht gelesen werden: " + SystemErrorText(error)));
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        fail(errno);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, count);
        if (count < sizeof buffer) {
            if (std::ferror(file.get()) != 0) {
                fail(errno != 0 ? errno : EIO);
            }
            break;
        }
    }
    return ReadForm(bytes, path);
}

}  // namespace parlix::forms
