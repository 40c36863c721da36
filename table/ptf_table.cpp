#include "table/ptf_table.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

#include "table/byte_search.h"
#include "table/page_memory.h"
#include "table/text.h"

namespace parlix {

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

// ---------------------------------------------------------------------------------------------
// Values and stored records

struct PtfTable::Value {
    bool isNull = true;
    std::string text;           // ftString
    std::string_view borrowed;  // ftString set by the file reader: its bytes, not copied
    bool isBorrowed = false;
    std::int64_t integer = 0;  // integer types and ftBoolean
    double number = 0;         // ftFloat

    std::string_view Text() const { return isBorrowed ? borrowed : std::string_view(text); }
    void Reset() {
        isNull = true;
        text.clear();
        isBorrowed = false;
        integer = 0;
        number = 0;
    }
};

namespace {

// What a stored value holds, by column type: the bytes of a text, or the 8 bytes of a number.
bool StoresText(FieldType type) {
    return type == FieldType::ftString;
}
bool StoresNumber(FieldType type) {
    return IsIntegerType(type) || type == FieldType::ftBoolean || type == FieldType::ftFloat;
}

}  // namespace

// Memory for stored records, handed out from large chunks. Records are immutable: an edited
// record is replaced by a new one, and replaced or deleted records stay in their chunk until
// the table is rebuilt (CreateTable, a load). Edits are few compared with the records a table
// holds, and a load or a table's end frees everything at once instead of record by record.
class PtfTable::RecordArena {
  public:
    void* Allocate(std::size_t size) {
        size = (size + alignof(std::uint64_t) - 1) & ~(alignof(std::uint64_t) - 1);
        if (size > left_) {
            // Chunks grow with the table: small tables stay small, large ones get few chunks.
            nextChunk_ = std::min(nextChunk_ * 2, kLargestChunk);
            const std::size_t chunk = std::max(nextChunk_, size);
            chunks_.push_back(detail::AllocatePages(chunk));
            next_ = chunks_.back().get();
            left_ = chunk;
        }
        void* memory = next_;
        next_ += size;
        left_ -= size;
        return memory;
    }

    void Clear() {
        chunks_.clear();
        next_ = nullptr;
        left_ = 0;
        nextChunk_ = kFirstChunk;
    }

  private:
    static constexpr std::size_t kFirstChunk = std::size_t{32} << 10;
    static constexpr std::size_t kLargestChunk = std::size_t{64} << 20;
    std::vector<detail::PageMemory> chunks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t nextChunk_ = kFirstChunk;
};

// One stored record in a single block: the header below, then the end offset of every
// value (uint32 each), a null bit per column, and the value bytes one after the other.
// Records are immutable; an edited record is replaced by a new one with the same sequence.
class PtfTable::Record {
  public:
    static Record* Create(RecordArena& arena, std::uint64_t sequence,
                          const std::vector<Value>& values, const std::vector<BuiltField>& fields) {
        const std::uint32_t columns = static_cast<std::uint32_t>(fields.size());
        std::size_t payload = 0;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            payload += PayloadSize(values[i], fields[i].type);
        }
        const std::size_t size =
            sizeof(Record) + columns * sizeof(std::uint32_t) + NullBytes(columns) + payload;
        auto* record = new (arena.Allocate(size)) Record(sequence, columns);
        unsigned char* ends = record->EndsBase();
        unsigned char* nulls = record->NullsBase();
        unsigned char* data = record->DataBase();
        for (std::size_t i = 0; i < NullBytes(columns); ++i) {
            nulls[i] = 0;
        }
        std::uint32_t offset = 0;
        for (std::uint32_t i = 0; i < columns; ++i) {
            const Value& value = values[i];
            if (value.isNull) {
                nulls[i / 8] |= static_cast<unsigned char>(1u << (i % 8));
            } else {
                const FieldType type = fields[i].type;
                if (StoresText(type)) {
                    const std::string_view text = value.Text();
                    std::memcpy(data + offset, text.data(), text.size());
                    offset += static_cast<std::uint32_t>(text.size());
                } else if (type == FieldType::ftFloat) {
                    std::memcpy(data + offset, &value.number, sizeof(double));
                    offset += sizeof(double);
                } else if (StoresNumber(type)) {
                    std::memcpy(data + offset, &value.integer, sizeof(std::int64_t));
                    offset += sizeof(std::int64_t);
                }
            }
            std::memcpy(ends + i * sizeof(std::uint32_t), &offset, sizeof offset);
        }
        return record;
    }

    std::uint64_t Sequence() const { return sequence_; }

    bool IsNull(int column) const { return (NullsBase()[column / 8] >> (column % 8)) & 1u; }

    std::string_view Bytes(int column) const {
        std::uint32_t begin = column == 0 ? 0 : End(column - 1);
        std::uint32_t end = End(column);
        return {reinterpret_cast<const char*>(DataBase()) + begin, end - begin};
    }

    std::int64_t Integer(int column) const {
        std::int64_t value = 0;
        std::string_view bytes = Bytes(column);
        if (bytes.size() == sizeof value) {
            std::memcpy(&value, bytes.data(), sizeof value);
        }
        return value;
    }

    double Number(int column) const {
        double value = 0;
        std::string_view bytes = Bytes(column);
        if (bytes.size() == sizeof value) {
            std::memcpy(&value, bytes.data(), sizeof value);
        }
        return value;
    }

    void Unpack(std::vector<Value>& values, const std::vector<BuiltField>& fields) const {
        values.resize(fields.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const int column = static_cast<int>(i);
            Value& value = values[i];
            value.Reset();
            value.isNull = IsNull(column);
            if (value.isNull) {
                continue;
            }
            const FieldType type = fields[i].type;
            if (StoresText(type)) {
                value.text.assign(Bytes(column));
            } else if (type == FieldType::ftFloat) {
                value.number = Number(column);
            } else if (StoresNumber(type)) {
                value.integer = Integer(column);
            }
        }
    }

  private:
    Record(std::uint64_t sequence, std::uint32_t columns)
        : sequence_(sequence), columns_(columns) {}

    static std::size_t NullBytes(std::uint32_t columns) { return (columns + 7) / 8; }
    static std::size_t PayloadSize(const Value& value, FieldType type) {
        if (value.isNull) {
            return 0;
        }
        if (StoresText(type)) {
            return value.Text().size();
        }
        return StoresNumber(type) ? 8 : 0;
    }

    std::uint32_t End(int column) const {
        std::uint32_t end;
        std::memcpy(&end, EndsBase() + static_cast<std::size_t>(column) * sizeof end, sizeof end);
        return end;
    }

    unsigned char* EndsBase() { return reinterpret_cast<unsigned char*>(this + 1); }
    const unsigned char* EndsBase() const {
        return reinterpret_cast<const unsigned char*>(this + 1);
    }
    unsigned char* NullsBase() { return EndsBase() + columns_ * sizeof(std::uint32_t); }
    const unsigned char* NullsBase() const { return EndsBase() + columns_ * sizeof(std::uint32_t); }
    unsigned char* DataBase() { return NullsBase() + NullBytes(columns_); }
    const unsigned char* DataBase() const { return NullsBase() + NullBytes(columns_); }

    std::uint64_t sequence_;
    std::uint32_t columns_;
};

namespace {

bool HasLineBreak(std::string_view text) {
    const char* end = text.data() + text.size();
    return detail::FindEitherByte(text.data(), end, '\r', '\n') != end;
}

const char* const kNotEditing = "Datensatz ist nicht im Bearbeitungs- oder Einfügemodus";

// A read-only look at one value, wherever it lives (edit buffer or stored record).
struct ValueView {
    bool isNull = true;
    std::string_view text;
    std::int64_t integer = 0;
    double number = 0;
};

int CompareViews(const ValueView& a, const ValueView& b, FieldType type) {
    if (a.isNull || b.isNull) {
        return static_cast<int>(b.isNull) - static_cast<int>(a.isNull);
    }
    if (StoresText(type)) {
        int c = a.text.compare(b.text);  // bytewise: char_traits<char> compares as unsigned
        return (c > 0) - (c < 0);
    }
    if (type == FieldType::ftFloat) {
        return (a.number > b.number) - (a.number < b.number);
    }
    return (a.integer > b.integer) - (a.integer < b.integer);
}

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

}  // namespace

// ---------------------------------------------------------------------------------------------
// Field

const std::string& Field::FieldName() const {
    return table_->fields_[index_].name;
}
FieldType Field::DataType() const {
    return table_->fields_[index_].type;
}
int Field::Size() const {
    return table_->fields_[index_].size;
}

namespace {

ValueView ViewOf(const PtfTable::Value& value) {
    return {value.isNull, value.Text(), value.integer, value.number};
}

}  // namespace

bool Field::IsNull() const {
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        return table_->buffer_[index_].isNull;
    }
    const PtfTable::Record* record = table_->CurrentRecord();
    return record == nullptr || record->IsNull(index_);
}

std::string_view Field::StringView() const {
    if (!StoresText(DataType())) {
        throw PtfError("Feld " + FieldName() + " ist kein Textfeld");
    }
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        return table_->buffer_[index_].Text();
    }
    const PtfTable::Record* record = table_->CurrentRecord();
    return record == nullptr ? std::string_view{} : record->Bytes(index_);
}

std::string Field::AsString() const {
    ValueView view;
    if (table_->state_ == TableState::Edit || table_->state_ == TableState::Insert) {
        view = ViewOf(table_->buffer_[index_]);
    } else if (const PtfTable::Record* record = table_->CurrentRecord()) {
        view.isNull = record->IsNull(index_);
        view.text = record->Bytes(index_);
        view.integer = record->Integer(index_);
        view.number = record->Number(index_);
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
        view = ViewOf(table_->buffer_[index_]);
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
            return table_->buffer_[index_].number;
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

// ---------------------------------------------------------------------------------------------
// PtfTable

PtfTable::PtfTable() : arena_(std::make_unique<RecordArena>()) {}
PtfTable::~PtfTable() = default;

void PtfTable::CheckActive() const {
    if (state_ == TableState::Inactive) {
        throw PtfError("Die Tabelle ist nicht geöffnet");
    }
}

void PtfTable::CheckColumn(int column) const {
    if (column < 0 || column >= FieldCount()) {
        throw PtfError("Feld " + std::to_string(column) + " existiert nicht");
    }
}

void PtfTable::Notify(TableChange change, int row) {
    if (!Observed()) {
        return;
    }
    std::vector<TableObserver*> observers = observers_;  // an observer may unsubscribe
    for (TableObserver* observer : observers) {
        observer->TableChanged(*this, change, row);
    }
}

void PtfTable::NotifyRecordChanged() {
    if (Observed()) {
        Notify(TableChange::Record, RecNo());
    }
}

void PtfTable::AddObserver(TableObserver* observer) {
    observers_.push_back(observer);
}

void PtfTable::RemoveObserver(TableObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void PtfTable::DisableControls() {
    ++controlsDisabled_;
}

void PtfTable::EnableControls() {
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0) {
        Notify(TableChange::DataSet);
    }
}

void PtfTable::ReserveRecords(std::size_t count) {
    rows_.reserve(count);
}

void PtfTable::Open() {
    if (IsActive()) {
        return;
    }
    if (fields_.empty()) {
        throw PtfError("Die Tabelle wurde noch nicht erstellt");
    }
    state_ = TableState::Browse;
    EnsureOrdered();
    pos_ = 0;
    atBegin_ = true;
    atEnd_ = rows_.empty();
    Notify(TableChange::DataSet);
    if (AfterOpen) {
        AfterOpen(*this);
    }
}

void PtfTable::Close() {
    if (!IsActive()) {
        return;
    }
    state_ = TableState::Inactive;
    modified_ = false;
    Notify(TableChange::DataSet);
}

void PtfTable::CreateTable() {
    if (IsActive()) {
        throw PtfError("Die Tabelle ist geöffnet und kann nicht neu erstellt werden");
    }
    if (defs_.Count() == 0) {
        throw PtfError("Die Tabelle hat keine Felddefinitionen");
    }
    fields_.clear();
    for (int i = 0; i < defs_.Count(); ++i) {
        const FieldDef& def = defs_[i];
        fields_.push_back({def.Name(), def.DataType(), std::max(def.Size(), 0)});
    }
    rows_.clear();
    arena_->Clear();
    sortedCount_ = 0;
    pos_ = 0;
    nextSequence_ = 0;
    buffer_.assign(fields_.size(), Value{});
    ResolveIndexColumn();
    Open();
}

void PtfTable::ResolveIndexColumn() {
    indexColumn_ = indexFieldNames_.empty() ? -1 : FieldIndex(indexFieldNames_);
}

bool PtfTable::InOrder(const Record& a, const Record& b) const {
    if (indexColumn_ >= 0) {
        const FieldType type = fields_[static_cast<std::size_t>(indexColumn_)].type;
        ValueView va{a.IsNull(indexColumn_), a.Bytes(indexColumn_), a.Integer(indexColumn_),
                     a.Number(indexColumn_)};
        ValueView vb{b.IsNull(indexColumn_), b.Bytes(indexColumn_), b.Integer(indexColumn_),
                     b.Number(indexColumn_)};
        int c = CompareViews(va, vb, type);
        if (c != 0) {
            return c < 0;
        }
    }
    return a.Sequence() < b.Sequence();
}

// A record's text key, eight bytes at a time, for sorting many records by a text column
// without visiting two records for every comparison.
struct PtfTable::KeyEntry {
    std::uint64_t chunk;  // key bytes [depth, depth + 8) as a number, missing bytes as zero
    PtfTable::Record* record;
    std::uint64_t sequence;  // the record's, kept here to order equal keys without visiting it
    std::uint8_t rest;       // key bytes from depth on, 9 meaning more than eight
    bool isNull;
};

namespace {

using KeyEntry = PtfTable::KeyEntry;

// Orders like the texts do: bytes compared unsigned, a text before any longer one it begins.
bool ChunkLess(const KeyEntry& a, const KeyEntry& b) {
    if (a.isNull != b.isNull) {
        return a.isNull;
    }
    if (a.chunk != b.chunk) {
        return a.chunk < b.chunk;
    }
    return a.rest < b.rest;
}

// Sorts by chunk. Many entries are first distributed by their chunk's top byte, so that each
// part is sorted within the processor's caches rather than across the whole array.
void SortByChunk(KeyEntry* first, KeyEntry* last) {
    const std::size_t count = static_cast<std::size_t>(last - first);
    if (count < (std::size_t{1} << 16)) {
        std::sort(first, last, ChunkLess);
        return;
    }
    auto bucket = [](const KeyEntry& entry) {
        return static_cast<std::size_t>((entry.isNull ? 0 : 1) + (entry.chunk >> 56));
    };
    std::vector<std::size_t> starts(258, 0);
    for (const KeyEntry* entry = first; entry != last; ++entry) {
        ++starts[bucket(*entry) + 1];
    }
    for (std::size_t b = 1; b < starts.size(); ++b) {
        starts[b] += starts[b - 1];
    }
    std::vector<KeyEntry> sorted(count);
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    for (const KeyEntry* entry = first; entry != last; ++entry) {
        sorted[next[bucket(*entry)]++] = *entry;
    }
    for (std::size_t b = 0; b + 1 < starts.size(); ++b) {
        std::sort(sorted.data() + starts[b], sorted.data() + starts[b + 1], ChunkLess);
    }
    std::copy(sorted.begin(), sorted.end(), first);
}

bool SameChunk(const KeyEntry& a, const KeyEntry& b) {
    return a.isNull == b.isNull && a.chunk == b.chunk && a.rest == b.rest;
}

}  // namespace

// Sorts entries whose keys agree on their first `depth` bytes: by the next eight bytes, then
// each run that agrees on those too by the bytes after them; equal keys by sequence.
void PtfTable::SortByTextKey(KeyEntry* first, KeyEntry* last, std::size_t depth) const {
    for (KeyEntry* entry = first; entry != last; ++entry) {
        const std::string_view key = entry->record->Bytes(indexColumn_);
        const std::string_view part = key.size() > depth ? key.substr(depth) : std::string_view{};
        std::uint64_t chunk = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            chunk = (chunk << 8) | (i < part.size() ? static_cast<unsigned char>(part[i]) : 0u);
        }
        entry->chunk = chunk;
        entry->rest = static_cast<std::uint8_t>(std::min<std::size_t>(part.size(), 9));
    }
    SortByChunk(first, last);
    for (KeyEntry* run = first; run != last;) {
        KeyEntry* runEnd = run + 1;
        while (runEnd != last && SameChunk(*run, *runEnd)) {
            ++runEnd;
        }
        if (runEnd - run > 1) {
            if (run->rest == 9 && !run->isNull) {
                SortByTextKey(run, runEnd, depth + 8);
            } else {  // equal keys
                std::sort(run, runEnd, [](const KeyEntry& a, const KeyEntry& b) {
                    return a.sequence < b.sequence;
                });
            }
        }
        run = runEnd;
    }
}

void PtfTable::SortRecords(std::vector<Record*>::iterator first,
                           std::vector<Record*>::iterator last) const {
    const bool textKey =
        indexColumn_ >= 0 &&
        fields_[static_cast<std::size_t>(indexColumn_)].type == FieldType::ftString;
    if (!textKey || last - first < 64) {
        // Keys tie-break on the sequence, so the order is strict and total.
        std::sort(first, last,
                  [this](const Record* a, const Record* b) { return InOrder(*a, *b); });
        return;
    }
    std::vector<KeyEntry> entries;
    entries.reserve(static_cast<std::size_t>(last - first));
    for (auto it = first; it != last; ++it) {
        entries.push_back({0, *it, (*it)->Sequence(), 0, (*it)->IsNull(indexColumn_)});
    }
    SortByTextKey(entries.data(), entries.data() + entries.size(), 0);
    for (const KeyEntry& entry : entries) {
        *first++ = entry.record;
    }
}

void PtfTable::OrderPendingRecords() const {
    const Record* current =
        pos_ >= 0 && static_cast<std::size_t>(pos_) < rows_.size() ? rows_[pos_] : nullptr;
    auto middle = rows_.begin() + static_cast<std::ptrdiff_t>(sortedCount_);
    if (sortedCount_ < rows_.size() - sortedCount_) {
        SortRecords(rows_.begin(), rows_.end());  // mostly new records: sort them all at once
    } else {
        SortRecords(middle, rows_.end());
        std::inplace_merge(rows_.begin(), middle, rows_.end(),
                           [this](const Record* a, const Record* b) { return InOrder(*a, *b); });
    }
    sortedCount_ = rows_.size();
    if (current != nullptr) {
        auto it =
            std::lower_bound(rows_.begin(), rows_.end(), current,
                             [this](const Record* a, const Record* b) { return InOrder(*a, *b); });
        pos_ = static_cast<int>(it - rows_.begin());
    }
}

const PtfTable::Record* PtfTable::CurrentRecord() const {
    if (!IsActive() || rows_.empty()) {
        return nullptr;
    }
    EnsureOrdered();
    if (pos_ < 0 || static_cast<std::size_t>(pos_) >= rows_.size()) {
        return nullptr;
    }
    return rows_[static_cast<std::size_t>(pos_)];
}

void PtfTable::CheckBrowseMode() {
    CheckActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        if (modified_) {
            Post();
        } else {
            Cancel();
        }
    }
}

void PtfTable::First() {
    CheckBrowseMode();
    EnsureOrdered();
    pos_ = 0;
    atBegin_ = true;
    atEnd_ = rows_.empty();
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::Next() {
    CheckBrowseMode();
    EnsureOrdered();
    if (static_cast<std::size_t>(pos_) + 1 < rows_.size()) {
        ++pos_;
        atEnd_ = false;
    } else {
        atEnd_ = true;
    }
    atBegin_ = false;
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::Prior() {
    CheckBrowseMode();
    EnsureOrdered();
    if (pos_ > 0) {
        --pos_;
        atBegin_ = false;
    } else {
        atBegin_ = true;
    }
    atEnd_ = rows_.empty();
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::Last() {
    CheckBrowseMode();
    EnsureOrdered();
    pos_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
    atEnd_ = true;
    atBegin_ = rows_.empty();
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::MoveTo(int row) {
    CheckBrowseMode();
    EnsureOrdered();
    if (rows_.empty()) {
        atBegin_ = atEnd_ = true;
        return;
    }
    pos_ = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
    atBegin_ = false;
    atEnd_ = false;
    Notify(TableChange::Cursor, RecNo());
}

bool PtfTable::AtEnd() const {
    return !IsActive() || rows_.empty() || atEnd_;
}
bool PtfTable::AtBegin() const {
    return !IsActive() || rows_.empty() || atBegin_;
}

int PtfTable::RecNo() const {
    if (!IsActive()) {
        return -1;
    }
    if (state_ == TableState::Insert) {
        return static_cast<int>(rows_.size());
    }
    if (rows_.empty()) {
        return -1;
    }
    EnsureOrdered();
    return pos_;
}

int PtfTable::RecordCount() const {
    return static_cast<int>(rows_.size());
}

int PtfTable::RowCount() const {
    return RecordCount() + (state_ == TableState::Insert ? 1 : 0);
}

void PtfTable::StartInsert() {
    if (BeforeInsert) {
        BeforeInsert(*this);  // may throw EAbort: nothing has changed yet
    }
    for (Value& value : buffer_) {
        value.Reset();
    }
    // pos_ keeps pointing at the record that was current, for Cancel; the new record is
    // presented as the last row until it is stored.
    state_ = TableState::Insert;
    modified_ = false;
    Notify(TableChange::RowInserted, static_cast<int>(rows_.size()));
    Notify(TableChange::State);
}

void PtfTable::Append() {
    CheckBrowseMode();
    StartInsert();
}

void PtfTable::Edit() {
    CheckActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        return;
    }
    if (rows_.empty()) {
        StartInsert();
        return;
    }
    CurrentRecord()->Unpack(buffer_, fields_);
    state_ = TableState::Edit;
    modified_ = false;
    Notify(TableChange::State);
}

void PtfTable::Post() {
    if (state_ != TableState::Edit && state_ != TableState::Insert) {
        throw PtfError("Es wird kein Datensatz bearbeitet oder eingefügt");
    }
    const bool inserting = state_ == TableState::Insert;
    int viewRow = RecNo();  // where views show the record now
    if (inserting) {
        rows_.push_back(Record::Create(*arena_, nextSequence_++, buffer_, fields_));
        const std::size_t last = rows_.size() - 1;
        if (sortedCount_ == last && (last == 0 || InOrder(*rows_[last - 1], *rows_[last]))) {
            sortedCount_ = rows_.size();
        }
        pos_ = static_cast<int>(last);
    } else {
        const std::size_t at = static_cast<std::size_t>(pos_);
        rows_[at] = Record::Create(*arena_, rows_[at]->Sequence(), buffer_, fields_);
        // A changed key may move the record: take it out of the ordered part if it no longer
        // fits between its neighbours, and let the next read merge it back in.
        if (indexColumn_ >= 0 && at < sortedCount_) {
            bool fits = (at == 0 || InOrder(*rows_[at - 1], *rows_[at])) &&
                        (at + 1 >= sortedCount_ || InOrder(*rows_[at], *rows_[at + 1]));
            if (!fits) {
                Record* moved = rows_[at];
                rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
                --sortedCount_;
                rows_.push_back(moved);
                pos_ = static_cast<int>(rows_.size()) - 1;
            }
        }
    }
    state_ = TableState::Browse;
    modified_ = false;
    atBegin_ = false;
    atEnd_ = false;
    if (Observed()) {
        if (RecNo() == viewRow) {
            Notify(TableChange::Record, viewRow);
            Notify(TableChange::State);
        } else {
            Notify(TableChange::DataSet);
        }
    }
    if (AfterPost) {
        AfterPost(*this);
    }
}

void PtfTable::Cancel() {
    if (state_ == TableState::Insert) {
        const int row = static_cast<int>(rows_.size());
        state_ = TableState::Browse;
        modified_ = false;
        atEnd_ = rows_.empty();
        Notify(TableChange::RowRemoved, row);
        Notify(TableChange::State);
        Notify(TableChange::Cursor, RecNo());
    } else if (state_ == TableState::Edit) {
        state_ = TableState::Browse;
        modified_ = false;
        Notify(TableChange::Record, RecNo());
        Notify(TableChange::State);
    }
}

void PtfTable::Delete() {
    CheckActive();
    if (state_ == TableState::Insert) {
        Cancel();
        return;
    }
    if (rows_.empty()) {
        throw PtfError("Die Tabelle ist leer");
    }
    CheckBrowseMode();
    if (BeforeDelete) {
        BeforeDelete(*this);  // may throw EAbort
    }
    EnsureOrdered();
    const int row = pos_;
    rows_.erase(rows_.begin() + row);
    sortedCount_ = rows_.size();
    pos_ = std::min(pos_, std::max(0, static_cast<int>(rows_.size()) - 1));
    atEnd_ = rows_.empty();
    atBegin_ = rows_.empty();
    Notify(TableChange::RowRemoved, row);
    Notify(TableChange::Cursor, RecNo());
    if (AfterDelete) {
        AfterDelete(*this);
    }
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

void PtfTable::SetIndexFieldNames(std::string name) {
    if (IsActive()) {
        CheckBrowseMode();
    }
    indexFieldNames_ = std::move(name);
    ResolveIndexColumn();
    sortedCount_ = 0;  // everything is re-ordered on the next read
    if (IsActive()) {
        EnsureOrdered();
        Notify(TableChange::DataSet);
    }
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
    const std::size_t limit = static_cast<std::size_t>(fields_[column].size);
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
    value.borrowed = text.substr(0, static_cast<std::size_t>(fields_[column].size));
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
    ValueView view{record.IsNull(column), record.Bytes(column), record.Integer(column),
                   record.Number(column)};
    return FormatValue(view, type);
}

}  // namespace parlix
