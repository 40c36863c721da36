// Column types of a PtfTable and their fixed numeric codes.
#pragma once

namespace parlix {

// The codes are fixed: the table file reader and writer dispatch on them, and
// codes 7 to 13 and above 14 belong to types Parlix never uses.
enum class FieldType : int {
    ftUnknown = 0,
    ftString = 1,    // text of at most Size bytes
    ftSmallint = 2,  // 16-bit signed integer
    ftInteger = 3,   // 32-bit signed integer
    ftWord = 4,      // 16-bit unsigned integer (not handled by the file format)
    ftBoolean = 5,
    ftFloat = 6,     // double precision
    ftAutoInc = 14,  // 32-bit integer numbered by the table
};

// The size a definition gets when its type is set: 20 bytes for text, 0 otherwise.
constexpr int DefaultFieldSize(FieldType type) {
    return type == FieldType::ftString ? 20 : 0;
}

// Types whose values are whole numbers (kept as 64-bit internally, range-checked on assignment).
constexpr bool IsIntegerType(FieldType type) {
    return type == FieldType::ftSmallint || type == FieldType::ftInteger ||
           type == FieldType::ftWord || type == FieldType::ftAutoInc;
}

}  // namespace parlix
