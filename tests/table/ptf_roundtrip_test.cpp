// Whatever a table holds comes back from its file unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "table/ptf_format.h"

namespace parlix {
namespace {

const FieldType kTypes[] = {FieldType::ftString, FieldType::ftSmallint, FieldType::ftInteger,
                            FieldType::ftWord,   FieldType::ftBoolean,  FieldType::ftFloat,
                            FieldType::ftAutoInc};

// Texts made of the characters that matter to the format, and some that do not.
std::string RandomText(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "\\",   "\"",   "'",    ",",   " ",   "null", "true", "12", "a",  "Z",  "\t",  "\xE4",
        "\x80", "\xFF", "\\\"", "\\'", "\\,", "\\ ",  "\"\"", "/*", ");", "e5", "\x01"};
    std::string text;
    const int count = std::uniform_int_distribution<int>(0, 8)(random);
    for (int i = 0; i < count; ++i) {
        text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    }
    return text;
}

void SetRandomValue(Field field, std::mt19937& random) {
    if (std::uniform_int_distribution<int>(0, 9)(random) == 0) {
        field.SetNull();
        return;
    }
    switch (field.DataType()) {
        case FieldType::ftString:
            field.SetAsString(RandomText(random));
            break;
        case FieldType::ftSmallint:
            field.SetAsInteger(std::uniform_int_distribution<int>(-32768, 32767)(random));
            break;
        case FieldType::ftWord:
            field.SetAsInteger(std::uniform_int_distribution<int>(0, 65535)(random));
            break;
        case FieldType::ftBoolean:
            field.SetAsBoolean(std::uniform_int_distribution<int>(0, 1)(random) == 1);
            break;
        case FieldType::ftFloat: {
            const double mantissa = std::uniform_int_distribution<long long>(
                -999999999999999LL, 999999999999999LL)(random);
            const int exponent = std::uniform_int_distribution<int>(-30, 30)(random);
            field.SetAsFloat(mantissa * std::pow(10.0, exponent));
            break;
        }
        default:
            field.SetAsInteger(std::uniform_int_distribution<std::int32_t>(
                std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max())(random));
            break;
    }
}

void ExpectSameValue(Field expected, Field actual, const std::string& where) {
    ASSERT_EQ(expected.IsNull(), actual.IsNull()) << where;
    if (expected.DataType() == FieldType::ftFloat) {
        const double e = expected.AsFloat();
        EXPECT_NEAR(actual.AsFloat(), e, std::abs(e) * 1e-14) << where;
    } else {
        EXPECT_EQ(expected.AsString(), actual.AsString()) << where;
    }
}

TEST(PtfRoundTrip, RandomTablesComeBackUnchanged) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const std::string where = "round " + std::to_string(round);
        PtfTable written;
        PtfTable read;
        const int columns = std::uniform_int_distribution<int>(1, 7)(random);
        for (int c = 0; c < columns; ++c) {
            const FieldType type = kTypes[std::uniform_int_distribution<int>(0, 6)(random)];
            const std::string name = "F" + std::to_string(c);
            written.FieldDefs().Add(name, type, 200);
            read.FieldDefs().Add(name, type, 1);  // text columns grow while reading
        }
        written.CreateTable();
        const int records = std::uniform_int_distribution<int>(0, 12)(random);
        for (int r = 0; r < records; ++r) {
            written.Append();
            for (int c = 0; c < columns; ++c) {
                SetRandomValue(written.Field(c), random);
            }
            written.Post();
        }
        const char quote = round % 2 == 0 ? '"' : '\'';
        ASSERT_NO_THROW(LoadPtf(EncodePtfTable(written, quote), read)) << where;
        read.Open();
        ASSERT_EQ(read.RecordCount(), records) << where;
        written.First();
        for (read.First(); !read.AtEnd(); read.Next(), written.Next()) {
            for (int c = 0; c < columns; ++c) {
                ExpectSameValue(written.Field(c), read.Field(c),
                                where + ", record " + std::to_string(read.RecNo()) + ", column " +
                                    std::to_string(c));
            }
        }
    }
}

}  // namespace
}  // namespace parlix
