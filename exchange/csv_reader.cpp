#include "exchange/csv_reader.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "exchange/text_codec.h"
#include "table/cp1252.h"

namespace parlix::exchange::detail {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The first fault of a field's bytes: a NUL byte or what is no UTF-8, with its line.
std::optional<std::pair<int, std::string>> TextFault(const Field& field) {
    const std::string_view text = field.text;
    int line = field.line;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b == 0) {
            return std::pair{line, std::string("ein Null-Byte: keine Textdatei, oder in UTF-16 "
                                               "ohne Byte-Reihenfolge-Markierung gespeichert")};
        }
        if (b >= 0x80) {
            if (!NextUtf8Character(text, i)) {
                return std::pair{line,
                                 std::string("kein UTF-8: die Datei ist in einer anderen "
                                             "Zeichenkodierung gespeichert (im "
                                             "Tabellenprogramm als \"CSV UTF-8\" speichern)")};
            }
            continue;
        }
        // Line breaks inside a quoted field: CR LF, LF or a CR alone.
        line += b == '\n' || (b == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ? 1 : 0;
        ++i;
    }
    return std::nullopt;
}

}  // namespace

CsvReader::CsvReader(ReadMore read, char delimiter, std::uint64_t maxBytes)
    : read_(std::move(read)), delimiter_(delimiter), maxBytes_(maxBytes) {
    buffer_.resize(kCsvPiece);
}

bool CsvReader::Next(std::vector<Field>& fields) {
    std::size_t count = 0;
    const bool found = Read(fields, count);
    fields.resize(count);
    return found;
}

bool CsvReader::Read(std::vector<Field>& fields, std::size_t& count) {
    if (!fault_.empty() || !Start()) {
        return false;
    }
    while (Peek() == '\n' || Peek() == '\r') {
        EndLine();
    }
    if (Peek() < 0) {
        return false;
    }
    line_ = at_;
    for (;;) {
        if (count == fields.size()) {
            fields.emplace_back();
        }
        Field& field = fields[count++];
        field.text.clear();
        field.quoted = false;
        field.line = at_;
        if (!(Peek() == '"' ? Quoted(field) : Unquoted(field))) {
            return false;
        }
        if (auto fault = TextFault(field)) {
            return Fail(fault->first, std::move(fault->second));
        }
        RemoveFormulaMark(field.text);
        const int next = Peek();
        if (next == delimiter_) {
            ++pos_;
            continue;
        }
        if (next >= 0) {
            EndLine();
        }
        return true;
    }
}

bool CsvReader::Fail(int line, std::string message, bool inBytes) {
    line_ = line;
    fault_ = std::move(message);
    faultInBytes_ = inBytes;
    return false;
}

bool CsvReader::Start() {
    if (started_) {
        return true;
    }
    started_ = true;
    while (end_ - pos_ < kUtf8Mark.size() && Fill()) {
    }
    const std::string_view head(buffer_.data() + pos_, end_ - pos_);
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
        return Fail(1, "die Datei ist in UTF-16 gespeichert; bitte als CSV in UTF-8 speichern");
    }
    if (head.starts_with(kUtf8Mark)) {
        pos_ += kUtf8Mark.size();
    }
    return true;
}

bool CsvReader::Fill() {
    if (atEnd_ || !fault_.empty()) {
        return false;
    }
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    if (buffer_.size() - end_ < kCsvPiece / 2) {
        buffer_.resize(buffer_.size() + kCsvPiece);
    }
    const std::size_t got = read_(buffer_.data() + end_, buffer_.size() - end_);
    total_ += got;
    if (total_ > maxBytes_) {
        Fail(0, "die Datei ist größer als " + Megabytes(maxBytes_));
        return false;
    }
    end_ += got;
    atEnd_ = got == 0;
    return got > 0;
}

int CsvReader::Peek() {
    if (pos_ == end_ && !Fill()) {
        return -1;
    }
    return static_cast<unsigned char>(buffer_[pos_]);
}

void CsvReader::EndLine() {
    if (buffer_[pos_++] == '\r' && Peek() == '\n') {
        ++pos_;
    }
    ++at_;
}

bool CsvReader::Unquoted(Field& field) {
    for (;;) {
        std::size_t i = pos_;
        while (i < end_ && buffer_[i] != delimiter_ && buffer_[i] != '\n' && buffer_[i] != '\r' &&
               buffer_[i] != '"') {
            ++i;
        }
        field.text.append(buffer_.data() + pos_, i - pos_);
        pos_ = i;
        if (pos_ < end_ || !Fill()) {
            break;
        }
    }
    if (Peek() == '"') {
        return Fail(at_, "ein Anführungszeichen mitten in einem Feld ohne Anführungszeichen",
                    false);
    }
    return fault_.empty();
}

bool CsvReader::Quoted(Field& field) {
    field.quoted = true;
    ++pos_;
    bool pendingCr = false;  // the piece ended in a CR whose LF may still come
    for (;;) {
        if (pendingCr && pos_ < end_) {
            at_ += buffer_[pos_] == '\n' ? 0 : 1;
            pendingCr = false;
        }
        const char* quote =
            static_cast<const char*>(std::memchr(buffer_.data() + pos_, '"', end_ - pos_));
        const std::size_t stop =
            quote != nullptr ? static_cast<std::size_t>(quote - buffer_.data()) : end_;
        for (std::size_t i = pos_; i < stop; ++i) {
            if (buffer_[i] == '\r' && i + 1 == end_) {
                pendingCr = true;
            } else {
                const bool lone = buffer_[i] == '\r' && buffer_[i + 1] != '\n';
                at_ += buffer_[i] == '\n' || lone ? 1 : 0;
            }
        }
        field.text.append(buffer_.data() + pos_, stop - pos_);
        pos_ = stop;
        if (quote == nullptr) {
            if (Fill()) {
                continue;
            }
            if (fault_.empty()) {
                Fail(field.line,
                     "ein Feld in Anführungszeichen wird nicht geschlossen (abgeschnitten?)",
                     false);
            }
            return false;
        }
        ++pos_;
        const int next = Peek();
        if (next == '"') {
            field.text += '"';
            ++pos_;
            continue;
        }
        if (next >= 0 && next != delimiter_ && next != '\n' && next != '\r') {
            return Fail(at_, "Zeichen nach dem schließenden Anführungszeichen eines Felds", false);
        }
        return fault_.empty();
    }
}

}  // namespace parlix::exchange::detail
