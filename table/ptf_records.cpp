// PtfTable's record storage: packing an edit buffer into a stored record and back.
#include <new>

#include "table/ptf_records.h"

namespace parlix {

using detail::StoresNumber;
using detail::StoresText;

PtfTable::Record* PtfTable::Record::Create(RecordArena& arena, std::uint64_t sequence,
                                           const std::vector<Value>& values,
                                           const std::vector<BuiltField>& fields) {
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

void PtfTable::Record::Unpack(std::vector<Value>& values,
                              const std::vector<BuiltField>& fields) const {
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

}  // namespace parlix
