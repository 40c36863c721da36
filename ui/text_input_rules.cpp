#include "ui/text_input_rules.h"

#include "table/cp1252.h"
#include "table/errors.h"

namespace parlix {

QString FromCp1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char byte : bytes) {
        // Every Windows-1252 character lies in the Basic Multilingual Plane.
        text += QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(byte))));
    }
    return text;
}

QString TrimmedText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32) {
        ++begin;
    }
    while (end > begin && text.at(end - 1).unicode() <= 32) {
        --end;
    }
    return text.mid(begin, end - begin);
}

std::optional<QString> FirstUnstorableCharacter(const QString& text) {
    for (char32_t character : text.toUcs4()) {
        if (!UnicodeToCp1252(character)) {
            return QString::fromUcs4(&character, 1);
        }
    }
    return std::nullopt;
}

QString UnstorableCharacterMessage(const QString& character) {
    return QStringLiteral(
               "Das Zeichen „%1“ ist im Windows-Zeichensatz (Windows-1252) nicht enthalten "
               "und kann nicht gespeichert werden.")
        .arg(character);
}

std::string ToCp1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t character : text.toUcs4()) {
        std::optional<unsigned char> byte = UnicodeToCp1252(character);
        if (!byte) {
            throw PtfError(
                UnstorableCharacterMessage(QString::fromUcs4(&character, 1)).toStdString());
        }
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

QValidator::State Cp1252Validator::validate(QString& input, int& /*position*/) const {
    if (std::optional<QString> character = FirstUnstorableCharacter(input)) {
        rejection_ = UnstorableCharacterMessage(*character);
        return Invalid;
    }
    return Acceptable;
}

}  // namespace parlix
