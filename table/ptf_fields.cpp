// PtfTable's field access: column definitions, reading, converting and assigning values.
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "table/byte_search.h"
#include "table/ptf_records.h"
#include "table/text.h"

namespace parlix {

using detail::StoresNumber;
using detail::StoresText;
using detail::ValueView;

// ---------------------------------------------------------------------------------------------
// Definitions

FieldDef& FieldDefs::Items(int index) {
    if (index < 0 || index >= Count()) {
        throw PtfError("Felddefinition " + std::to_string(index) + " existiert nicht");
    }
    return items_[static_cast<std::size_t>(index)];
}

const FieldDef& FieldDefs::Items(int index) const {
    return const_cast<FieldDefs*>(this)->Items(index);
}

FieldDef& FieldDefs::Add(std::string name, FieldType type, int size) {
    items_.emplace_back(std::move(name), type, size);
    return items_.back();
}

int FieldDefs::IndexOf(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        if (SameText(items_[static_cast<std::size_t>(i)].Name(), name)) {
            return i;
        }
    }
    return -1;
}

namespace {

bool HasLineBreak(std::string_view text) {
    const char* end = text.data() + text.size();
    return detail::FindEitherByte(text.data(), end, '\r', '\n') != end;
}

const char* const kNotEditing = "Datensatz ist nicht im Bearbeitungs- oder Einfügemodus";

std::string FormatValue(const ValueView& value, FieldType type) {
    if (value.isNull) {
        return {};
    }
    if (StoresText(type)) {
        return std::string(value.text);
    }
    if (type == FieldType::ftBoolean) {
        return value.integer != 0 ? "True" : "False";
    }
    if (type == FieldType::ftFloat) {
        return FormatGeneral(value.number, ',');
    }
    if (IsIntegerType(type)) {
        return std::to_string(value.integer);
    }
    return {};
}

void CheckRange(std::int64_t value, FieldType type, std::string_view text) {
    std::int64_t low = std::numeric_limits<std::int32_t>::min();
    std::int64_t high = std::numeric_limits<std::int32_t>::max();
    if (type == FieldType::ftSmallint) {
        low = std::numeric_limits<std::int16_t>::min();
        high = std::numeric_limits<std::int16_t>::max();
    } else if (type == FieldType::ftWord) {
        low = 0;
        high = std::numeric_limits<std::uint16_t>::max();
    }
    if (value < low || value > high) {
        throw PtfError(std::string(text) + " liegt nicht im Bereich von " + std::to_string(low) +
                       " bis " + std::to_string(high));
    }
}

ValueView ViewOf(const PtfTable::Value& value) {
    return {value.isNull, value.Text(), value.integer, value.number};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Field

const std::string& Field::FieldName() const {
    return table_->fields_[Slot()].name;
}
FieldType Field::DataType() const {
    return table_->fields_[Slot()].type;
}
int Field::Size() const {
    return table_->fields_[Slot()].size;
}

bool Field::IsNull() const {
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        return table_->buffer_[Slot()].isNull;
    }
    const PtfTable::Record* record = table_->CurrentRecord();
    return record == nullptr || record->IsNull(index_);
}

std::string_view Field::StringView() const {
    if (!StoresText(DataType())) {
        throw PtfError("Feld " + FieldName() + " ist kein Textfeld");
    }
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        return table_->buffer_[Slot()].Text();
    }
    const PtfTable::Record* record = table_->CurrentRecord();
    return record == nullptr ? std::string_view{} : record->Bytes(index_);
}

std::string Field::AsString() const {
    ValueView view;
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        view = ViewOf(table_->buffer_[Slot()]);
    } else if (const PtfTable::Record* record = table_->CurrentRecord()) {
        view = record->View(index_);
    }
    return FormatValue(view, DataType());
}

std::int32_t Field::AsInteger() const {
    if (IsNull()) {
        return 0;
    }
    const FieldType type = DataType();
    if (StoresText(type)) {
        std::string text = AsString();
        std::optional<std::int64_t> value = ParseInteger(TrimView(text));
        if (!value) {
            throw PtfError("'" + text + "' ist kein gültiger Integerwert");
        }
        CheckRange(*value, FieldType::ftInteger, text);
        return static_cast<std::int32_t>(*value);
    }
    if (type == FieldType::ftFloat) {
        double rounded = std::nearbyint(AsFloat());
        if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
              rounded <= std::numeric_limits<std::int32_t>::max())) {
            throw PtfError(AsString() + " liegt nicht im Bereich einer Ganzzahl");
        }
        return static_cast<std::int32_t>(rounded);
    }
    ValueView view;
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        view = ViewOf(table_->buffer_[Slot()]);
    } else {
        view.integer = table_->CurrentRecord()->Integer(index_);
    }
    return static_cast<std::int32_t>(view.integer);
}

bool Field::AsBoolean() const {
    if (IsNull()) {
        return false;
    }
    const FieldType type = DataType();
    if (StoresText(type)) {
        std::string text = AsString();
        return SameText(TrimView(text), "true");
    }
    if (type == FieldType::ftFloat) {
        return AsFloat() != 0;
    }
    return AsInteger() != 0;
}

double Field::AsFloat() const {
    if (IsNull()) {
        return 0;
    }
    const FieldType type = DataType();
    if (type == FieldType::ftFloat) {
        if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
            return table_->buffer_[Slot()].number;
        }
        return table_->CurrentRecord()->Number(index_);
    }
    if (StoresText(type)) {
        std::string text = AsString();
        std::optional<double> value = ParseDecimal(text);
        if (!value) {
            throw PtfError("'" + text + "' ist kein gültiger Gleitkommawert");
        }
        return *value;
    }
    return AsInteger();
}

void Field::SetNull() {
    table_->WritableValue(index_).Reset();
    table_->NotifyRecordChanged();
}

void Field::SetAsString(std::string_view text) {
    const FieldType type = DataType();
    if (StoresText(type)) {
        table_->AssignString(index_, text);
        return;
    }
    std::string_view trimmed = TrimView(text);
    if (trimmed.empty()) {
        table_->WritableValue(index_);  // checks the state
        SetNull();
        return;
    }
    if (IsIntegerType(type)) {
        std::optional<std::int64_t> value = ParseInteger(trimmed);
        if (!value) {
            throw PtfError("'" + std::string(text) + "' ist kein gültiger Integerwert");
        }
        SetAsInteger(*value);
    } else if (type == FieldType::ftBoolean) {
        if (SameText(trimmed, "true")) {
            SetAsBoolean(true);
        } else if (SameText(trimmed, "false")) {
            SetAsBoolean(false);
        } else {
            throw PtfError("'" + std::string(text) + "' ist kein gültiger Boolescher Wert");
        }
    } else if (type == FieldType::ftFloat) {
        std::optional<double> value = ParseDecimal(trimmed);
        if (!value) {
            throw PtfError("'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
        }
        SetAsFloat(*value);
    } else {
        throw PtfError("Feld " + FieldName() + " hat keinen unterstützten Typ");
    }
}

void Field::SetAsInteger(std::int64_t value) {
    const FieldType type = DataType();
    if (StoresText(type)) {
        table_->AssignString(index_, std::to_string(value));
        return;
    }
    if (type == FieldType::ftFloat) {
        SetAsFloat(static_cast<double>(value));
        return;
    }
    if (type == FieldType::ftBoolean) {
        SetAsBoolean(value != 0);
        return;
    }
    if (!IsIntegerType(type)) {
        throw PtfError("Feld " + FieldName() + " hat keinen unterstützten Typ");
    }
    CheckRange(value, type, std::to_string(value));
    PtfTable::Value& slot = table_->WritableValue(index_);
    slot.isNull = false;
    slot.integer = value;
    table_->NotifyRecordChanged();
}

void Field::SetAsBoolean(bool value) {
    const FieldType type = DataType();
    if (StoresText(type)) {
        table_->AssignString(index_, value ? "True" : "False");
        return;
    }
    if (type != FieldType::ftBoolean) {
        SetAsInteger(value ? 1 : 0);
        return;
    }
    PtfTable::Value& slot = table_->WritableValue(index_);
    slot.isNull = false;
    slot.integer = value ? 1 : 0;
    table_->NotifyRecordChanged();
}

void Field::SetAsFloat(double value) {
    if (!std::isfinite(value)) {
        throw PtfError("Ungültiger Gleitkommawert für Feld " + FieldName());
    }
    const FieldType type = DataType();
    if (StoresText(type)) {
        table_->AssignString(index_, FormatGeneral(value, ','));
        return;
    }
    if (type != FieldType::ftFloat) {
        double rounded = std::nearbyint(value);
        if (!(rounded >= -9.2e18 && rounded <= 9.2e18)) {
            throw PtfError(FormatGeneral(value, ',') + " liegt nicht im Bereich einer Ganzzahl");
        }
        SetAsInteger(static_cast<std::int64_t>(rounded));
        return;
    }
    PtfTable::Value& slot = table_->WritableValue(index_);
    slot.isNull = false;
    slot.number = value;
    table_->NotifyRecordChanged();
}

Field PtfTable::Field(int index) {
    CheckActive();
    CheckColumn(index);
    return parlix::Field(this, index);
}

Field PtfTable::FieldByName(std::string_view name) {
    CheckActive();
    int index = FieldIndex(name);
    if (index < 0) {
        throw PtfError("Feld '" + std::string(name) + "' nicht gefunden");
    }
    return parlix::Field(this, index);
}

int PtfTable::FieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (SameText(fields_[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

PtfTable::Value& PtfTable::WritableValue(int column) {
    if (state_ != TableState::Edit && state_ != TableState::Insert) {
        throw PtfError(kNotEditing);
    }
    modified_ = true;
    return buffer_[static_cast<std::size_t>(column)];
}

void PtfTable::AssignString(int column, std::string_view text) {
    Value& value = WritableValue(column);
    const std::size_t limit =
        static_cast<std::size_t>(fields_[static_cast<std::size_t>(column)].size);
    value.isNull = false;
    value.isBorrowed = false;
    if (!HasLineBreak(text)) {
        value.text.assign(text.substr(0, limit));
    } else {
        value.text.clear();
        for (char c : text) {
            if (c != '\r' && c != '\n') {
                if (value.text.size() == limit) {
                    break;
                }
                value.text += c;
            }
        }
    }
    NotifyRecordChanged();
}

void PtfTable::LoadText(int column, std::string_view text) {
    Value& value = WritableValue(column);
    value.isNull = false;
    value.isBorrowed = true;
    value.borrowed =
        text.substr(0, static_cast<std::size_t>(fields_[static_cast<std::size_t>(column)].size));
    NotifyRecordChanged();
}

bool PtfTable::IsNullAt(int row, int column) const {
    CheckColumn(column);
    const bool buffered = (state_ == TableState::Insert && row == RecordCount()) ||
                          (state_ == TableState::Edit && row == RecNo());
    if (buffered) {
        return buffer_[static_cast<std::size_t>(column)].isNull;
    }
    EnsureOrdered();
    if (row < 0 || row >= RecordCount()) {
        throw PtfError("Zeile " + std::to_string(row) + " existiert nicht");
    }
    return rows_[static_cast<std::size_t>(row)]->IsNull(column);
}

std::string PtfTable::TextAt(int row, int column) const {
    CheckColumn(column);
    const FieldType type = fields_[static_cast<std::size_t>(column)].type;
    const bool buffered = (state_ == TableState::Insert && row == RecordCount()) ||
                          (state_ == TableState::Edit && row == RecNo());
    if (buffered) {
        return FormatValue(ViewOf(buffer_[static_cast<std::size_t>(column)]), type);
    }
    EnsureOrdered();
    if (row < 0 || row >= RecordCount()) {
        throw PtfError("Zeile " + std::to_string(row) + " existiert nicht");
    }
    const Record& record = *rows_[static_cast<std::size_t>(row)];
    return FormatValue(record.View(column), type);
}

}  // namespace parlix
