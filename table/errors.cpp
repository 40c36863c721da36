#include "table/errors.h"

#include <cstring>

namespace parlix {

std::string Fault::Text() const {
    switch (kind) {
        case Kind::Open:
            return "Datei " + file + " kann nicht geöffnet werden. " + message;
        case Kind::Create:
            return "Datei \"" + file + "\" kann nicht erstellt werden. " + message;
        case Kind::Content:
            break;
    }
    if (file.empty()) {
        return message;
    }
    if (line > 0) {
        return file + ":" + std::to_string(line) + ": " + message;
    }
    if (offset >= 0) {
        return file + ": Byte " + std::to_string(offset) + ": " + message;
    }
    return file + ": " + message;
}

FaultError::FaultError(Fault fault) : PtfError(fault.Text()), fault_(std::move(fault)) {}

EFOpenError::EFOpenError(const std::string& path, const std::string& cause)
    : FaultError(Fault{Fault::Kind::Open, path, 0, -1, cause}) {}

EFCreateError::EFCreateError(const std::string& path, const std::string& cause, WriteStep step)
    : FaultError(Fault{Fault::Kind::Create, path, 0, -1, cause}), step_(step) {}

std::string SystemErrorText(int errorNumber) {
    return std::strerror(errorNumber);
}

}  // namespace parlix
