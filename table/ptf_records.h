// PtfTable's record storage (internal to table/): edit values, the arena, the record layout.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "table/page_memory.h"
#include "table/ptf_table.h"

namespace parlix {

namespace detail {

// What a stored value holds, by column type: the bytes of a text, or the 8 bytes of a number.
inline bool StoresText(FieldType type) {
    return type == FieldType::ftString;
}
inline bool StoresNumber(FieldType type) {
    return IsIntegerType(type) || type == FieldType::ftBoolean || type == FieldType::ftFloat;
}

// A read-only look at one value, wherever it lives (edit buffer or stored record).
struct ValueView {
    bool isNull = true;
    std::string_view text;
    std::int64_t integer = 0;
    double number = 0;
};

}  // namespace detail

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

    // Makes room for `bytes` more in one block made present at once, cheaper than a page
    // fault for every page of it (a bulk load knows what its records will take).
    void Reserve(std::size_t bytes) {
        if (bytes > left_) {
            chunks_.push_back(detail::AllocatePages(bytes, /*prefault=*/true));
            next_ = chunks_.back().get();
            left_ = bytes;
        }
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
    // A new record in `arena` holding `values` (one per field, of the fields' types).
    static Record* Create(RecordArena& arena, std::uint64_t sequence,
                          const std::vector<Value>& values, const std::vector<BuiltField>& fields);

    // The most a record of `columns` columns takes in an arena beyond its value bytes (texts'
    // bytes, 8 per number).
    static std::size_t Overhead(std::size_t columns) {
        return sizeof(Record) + columns * sizeof(std::uint32_t) + NullBytes(columns) +
               alignof(std::uint64_t) - 1;
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

    detail::ValueView View(int column) const {
        return {IsNull(column), Bytes(column), Integer(column), Number(column)};
    }

    // Copies the values into an edit buffer (texts are copied, not borrowed).
    void Unpack(std::vector<Value>& values, const std::vector<BuiltField>& fields) const;

  private:
    Record(std::uint64_t sequence, std::uint32_t columns)
        : sequence_(sequence), columns_(columns) {}

    static std::size_t NullBytes(std::size_t columns) { return (columns + 7) / 8; }
    static std::size_t PayloadSize(const Value& value, FieldType type) {
        if (value.isNull) {
            return 0;
        }
        if (detail::StoresText(type)) {
            return value.Text().size();
        }
        return detail::StoresNumber(type) ? 8 : 0;
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

}  // namespace parlix
