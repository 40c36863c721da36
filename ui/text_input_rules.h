// The boundary between the windows' Unicode text and the Windows-1252 bytes that the tables and
// files hold. Every byte has a character, so reading never fails; a character that
// Windows-1252 cannot hold is refused where the user types it (or, for text that arrives by
// other ways, with a message), so that nothing reaches a file silently altered.
#pragma once

#include <QString>
#include <QValidator>
#include <optional>
#include <string>
#include <string_view>

namespace parlix {

QString FromCp1252(std::string_view bytes);

// The text without every leading and trailing character whose code is 32 or less, as the
// tables and files trim.
QString TrimmedText(const QString& text);

// The first character of `text` that Windows-1252 cannot hold, or nothing.
std::optional<QString> FirstUnstorableCharacter(const QString& text);

// The message that names a character Windows-1252 cannot hold.
QString UnstorableCharacterMessage(const QString& character);

// The Windows-1252 bytes of `text`. Throws PtfError with UnstorableCharacterMessage when it
// holds a character that Windows-1252 cannot hold.
std::string ToCp1252(const QString& text);

// Lets through only text that Windows-1252 can hold. A refused keystroke or paste leaves the
// editor unchanged; the editor's inputRejected signal can then show RejectionText().
class Cp1252Validator : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
    // Why the last input was refused, for a tooltip.
    QString RejectionText() const { return rejection_; }

  private:
    mutable QString rejection_;
};

}  // namespace parlix
